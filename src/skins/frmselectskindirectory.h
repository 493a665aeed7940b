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

// Creates the chooser, keeps it in app.frmSelectSkinDirectory and runs its
// load; it is not shown.
frmSelectSkinDirectory* LoadSelectSkinDirectory(Application& app, QWidget* owner);

// Registers the chooser's factory under "frmSelectSkinDirectory", through
// which the preferences dialog opens it.
void RegisterSkinChooserForm(Application& app);

} // namespace vornap
