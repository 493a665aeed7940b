#include "freedb/frmsetproxy.h"

#include "app/frmcd.h"
#include "skins/setskin.h"
#include "skins/tiling.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace vornap {

frmSetProxy::frmSetProxy(Application& app, QWidget* parent) : QDialog(parent), app(app) {
    // The skin finds a window through its slot, so it is known from birth.
    app.frmSetProxy = this;
    setObjectName(QStringLiteral("frmSetProxy"));
    setWindowTitle(QStringLiteral("Set Proxy Server"));
    setFixedSize(300, 150);

    imgBackground = new ImageBox(this);
    imgBackground->setVisible(false);

    chkUseProxy = new QCheckBox(QStringLiteral("Use Proxy Server"), this);
    chkUseProxy->setGeometry(12, 12, 276, 20);
    // Filled with the skin's back colour as the preferences' boxes are; its
    // default fill is the light Button colour.
    chkUseProxy->setBackgroundRole(QPalette::Window);

    lblProxyAddressLabel = new PlainLabel(QStringLiteral("Proxy Server Address:"), this);
    lblProxyAddressLabel->setGeometry(12, 42, 130, 16);
    txtProxyAddress = new QLineEdit(this);
    txtProxyAddress->setGeometry(146, 39, 142, 22);
    lblProxyHTTPPortLabel = new PlainLabel(QStringLiteral("HTTP Port:"), this);
    lblProxyHTTPPortLabel->setGeometry(12, 72, 130, 16);
    txtProxyHTTPPort = new QLineEdit(this);
    txtProxyHTTPPort->setGeometry(146, 69, 70, 22);
    for (QWidget* w : std::initializer_list<QWidget*>{lblProxyAddressLabel, txtProxyAddress,
                                                      lblProxyHTTPPortLabel, txtProxyHTTPPort})
        w->setEnabled(false);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(102, 110, 90, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setGeometry(198, 110, 90, 28);

    auto on = [this](auto* sender, auto signal, void (frmSetProxy::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { unhandled(this->app, [&] { (this->*handler)(); }); });
    };
    on(chkUseProxy, &QCheckBox::stateChanged, &frmSetProxy::chkUseProxy_Click);
    on(cmdOK, &QPushButton::clicked, &frmSetProxy::cmdOK_Click);
    on(cmdCancel, &QPushButton::clicked, &frmSetProxy::cmdCancel_Click);
}

void frmSetProxy::Form_Load() {
    app.v.sSkinForm = QStringLiteral("frmSetProxy");
    SetSkin(app);
    // Opened empty, OK would erase a proxy that works.
    const ProxySetting stored = StoredProxy(*app.platform.registry);
    txtProxyAddress->setText(stored.address);
    txtProxyHTTPPort->setText(stored.port);
    chkUseProxy->setChecked(stored.inUse);
}

void frmSetProxy::chkUseProxy_Click() {
    const bool on = chkUseProxy->checkState() == Qt::Checked;
    lblProxyAddressLabel->setEnabled(on);
    txtProxyAddress->setEnabled(on);
    lblProxyHTTPPortLabel->setEnabled(on);
    txtProxyHTTPPort->setEnabled(on);
}

void frmSetProxy::cmdOK_Click() {
    auto& box = *app.platform.messageBox;
    if (txtProxyAddress->isEnabled() && txtProxyAddress->text().isEmpty()) {
        box.show(
            this,
            QStringLiteral("Since you want to use a proxy server, you should type in the address!"),
            QStringLiteral("Enter address..."));
        return;
    }
    if (txtProxyHTTPPort->isEnabled() && txtProxyHTTPPort->text().isEmpty()) {
        box.show(this,
                 QStringLiteral("Enter the HTTP port you use to connect to your proxy server!"),
                 QStringLiteral("Enter HTTP port..."));
        return;
    }
    StoreProxy(*app.platform.registry,
               {chkUseProxy->isChecked(), txtProxyAddress->text(), txtProxyHTTPPort->text()});
    close();
}

void frmSetProxy::cmdCancel_Click() {
    close();
}

SkinTargets frmSetProxy::skinTargets() {
    // The box takes the fore colour too: the default dark text would not
    // read on a dark skin's fill.
    return {imgBackground, {lblProxyAddressLabel, lblProxyHTTPPortLabel}, {chkUseProxy}, {}};
}

void frmSetProxy::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TileBackground(painter, size(), imgBackground->picture());
}

frmSetProxy* LoadFrmSetProxy(Application& app, QWidget* owner) {
    auto* dialog = new frmSetProxy(app, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Form_Load();
    return dialog;
}

void ShowProxyDialog(Application& app, QWidget* owner) {
    auto* dialog = qobject_cast<frmSetProxy*>(app.frmSetProxy.data());
    if (!dialog)
        dialog = LoadFrmSetProxy(app, owner);
    showModal(dialog);
}

void RegisterProxyForm(Application& app) {
    app.formFactories[QStringLiteral("frmSetProxy")] = [](Application& a) -> QWidget* {
        return LoadFrmSetProxy(a, a.cd);
    };
}

} // namespace vornap
