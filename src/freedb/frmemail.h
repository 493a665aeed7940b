#pragma once

#include "app/application.h"
#include "app/widgets.h"
#include "skins/skinnedform.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vornap {

// The dialog for the e-mail address that lookups send to the server.
class frmEmail : public QDialog, public SkinnedForm {
    Q_OBJECT
public:
    explicit frmEmail(Application& app, QWidget* parent = nullptr);

    Application& app;

    ImageBox* imgBackground;
    PlainLabel* lblEmailLabel;
    QLineEdit* txtEmail;
    PlainLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    SkinTargets skinTargets() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Creates and loads the dialog (which skins it) and keeps it in
// app.frmEmail; it is destroyed when closed.
frmEmail* LoadFrmEmail(Application& app, QWidget* owner);
// Shows it modally: the one a skin change loaded hidden, or a new one.
void ShowEmailDialog(Application& app, QWidget* owner);
// Registers how a skin change creates the dialog.
void RegisterEmailForm(Application& app);

} // namespace vornap
