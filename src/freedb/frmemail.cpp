#include "freedb/frmemail.h"

#include "app/frmcd.h"
#include "options/options.h"
#include "skins/setskin.h"
#include "skins/tiling.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace vornap {

frmEmail::frmEmail(Application& app, QWidget* parent) : QDialog(parent), app(app) {
    // The skin finds a window through its slot, so it is known from birth.
    app.frmEmail = this;
    setObjectName(QStringLiteral("frmEmail"));
    setWindowTitle(QStringLiteral("Email Address"));
    setFixedSize(320, 150);

    imgBackground = new ImageBox(this);
    imgBackground->setVisible(false);

    lblEmailLabel = new PlainLabel(QStringLiteral("Input Your Email Address Below:"), this);
    lblEmailLabel->setGeometry(12, 12, 296, 16);
    txtEmail = new QLineEdit(this);
    txtEmail->setGeometry(12, 32, 296, 22);
    lblDisclaimer = new PlainLabel(
        QStringLiteral("*Note: Your email address will be used ONLY for FreeDB submissions!"),
        this);
    lblDisclaimer->setGeometry(12, 60, 296, 32);
    lblDisclaimer->setWordWrap(true);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(122, 110, 90, 28);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setGeometry(218, 110, 90, 28);

    connect(cmdOK, &QPushButton::clicked, this,
            [this] { unhandled(this->app, [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { unhandled(this->app, [this] { cmdCancel_Click(); }); });
}

void frmEmail::Form_Load() {
    app.v.sSkinForm = QStringLiteral("frmEmail");
    SetSkin(app);
    txtEmail->setText(app.v.sCDDBEmail);
}

void frmEmail::cmdOK_Click() {
    auto& v = app.v;
    auto& box = *app.platform.messageBox;
    // The options file has no escape for a double quote: such an address
    // would break the file for every later read. It never reaches the option.
    if (txtEmail->text().contains('"')) {
        box.show(this, QStringLiteral("Email addresses cannot contain the \" character!"),
                 QStringLiteral("Invalid Email"));
        return;
    }
    v.sCDDBEmail = txtEmail->text();
    if (v.sCDDBEmail.isEmpty()) {
        box.show(this, QStringLiteral("Invalid Email"), QStringLiteral("Invalid Email"));
        return;
    }
    if (v.sCDDBEmail.contains('@')) {
        SaveOptions(app);
        close();
        return;
    }
    box.show(this, QStringLiteral("Emails must include the @ symbol!"),
             QStringLiteral("No @ Symbol!"));
}

void frmEmail::cmdCancel_Click() {
    close();
}

SkinTargets frmEmail::skinTargets() {
    return {imgBackground, {lblEmailLabel, lblDisclaimer}, {}, {}};
}

void frmEmail::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TileBackground(painter, size(), imgBackground->picture());
}

frmEmail* LoadFrmEmail(Application& app, QWidget* owner) {
    auto* dialog = new frmEmail(app, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Form_Load();
    return dialog;
}

void ShowEmailDialog(Application& app, QWidget* owner) {
    auto* dialog = qobject_cast<frmEmail*>(app.frmEmail.data());
    if (!dialog)
        dialog = LoadFrmEmail(app, owner);
    showModal(dialog);
}

void RegisterEmailForm(Application& app) {
    app.formFactories[QStringLiteral("frmEmail")] = [](Application& a) -> QWidget* {
        return LoadFrmEmail(a, a.cd);
    };
}

} // namespace vornap
