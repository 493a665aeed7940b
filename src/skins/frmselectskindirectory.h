#pragma once

#include "app/application.h"

#include <QDialog>

class QPushButton;

namespace vornap {

class DirListBox;

// The skin directory chooser (not skinned itself).
class frmSelectSkinDirectory : public QDialog {
    Q_OBJECT
public:
    explicit frmSelectSkinDirectory(Application& app, QWidget* parent = nullptr);

    Application& app;
    DirListBox* Dir1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
};

inline const QString kNoSkinText =
    QStringLiteral("                No Vornap skin in selected directory!!\r"
                   "*Be sure to double click the directory before applying the skin*");
inline const QString kNoSkinCaption = QStringLiteral("No Skin!");

// Loads the chooser and shows it modally over the owner; it is unloaded when
// it closes.
void ShowSelectSkinDirectory(Application& app, QWidget* owner);

} // namespace vornap
