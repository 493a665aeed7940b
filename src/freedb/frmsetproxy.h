#pragma once

#include "app/application.h"
#include "app/widgets.h"
#include "freedb/proxysetting.h"
#include "skins/skinnedform.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vornap {

// The proxy settings dialog.
class frmSetProxy : public QDialog, public SkinnedForm {
    Q_OBJECT
public:
    explicit frmSetProxy(Application& app, QWidget* parent = nullptr);

    Application& app;

    ImageBox* imgBackground;
    QCheckBox* chkUseProxy;
    PlainLabel* lblProxyAddressLabel;
    QLineEdit* txtProxyAddress;
    PlainLabel* lblProxyHTTPPortLabel;
    QLineEdit* txtProxyHTTPPort;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void Form_Load();
    void chkUseProxy_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    SkinTargets skinTargets() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Creates and loads the dialog (which skins it) and keeps it in
// app.frmSetProxy; it is destroyed when closed.
frmSetProxy* LoadFrmSetProxy(Application& app, QWidget* owner);
// Shows it modally: the one a skin change loaded hidden, or a new one.
void ShowProxyDialog(Application& app, QWidget* owner);
// Registers how a skin change creates the dialog.
void RegisterProxyForm(Application& app);

} // namespace vornap
