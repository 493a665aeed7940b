#include "about/frmabout.h"

#include "app/frmcd.h"
#include "skins/setskin.h"
#include "skins/tiling.h"
#include "update/webserver.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>

namespace vornap {

VersionParts ProgramVersion() {
    return {version::major, version::minor, version::revision};
}

QString AboutVersionCaption(const VersionParts& version) {
    QString caption = QStringLiteral("Version ") + QString::number(version.major) + '.' +
                      QString::number(version.minor);
    if (version.revision != 0)
        caption += QString::number(version.revision);
    return caption;
}

frmAbout::frmAbout(Application& app, QWidget* parent, VersionParts version)
    : QDialog(parent), app(app), m_version(version) {
    // The skin finds a window through its slot, so it is known from birth.
    app.frmAbout = this;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Vornap"));
    setFixedSize(300, 180);

    imgBackground = new ImageBox(this);
    imgBackground->setVisible(false);

    lblTitle = new PlainLabel(QStringLiteral("Vornap"), this);
    lblTitle->setGeometry(12, 12, 276, 30);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() * 2);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignCenter);

    lblVersion = new PlainLabel(QStringLiteral("Version"), this);
    lblVersion->setGeometry(12, 46, 276, 16);
    lblVersion->setAlignment(Qt::AlignCenter);

    auto link = [this](const QString& caption, int y) {
        auto* l = new PlainLabel(caption, this);
        l->setGeometry(12, y, 276, 16);
        l->setAlignment(Qt::AlignCenter);
        l->setCursor(Qt::PointingHandCursor);
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        return l;
    };
    lblHelpLink = link(QStringLiteral("Click here for Help on the Web"), 80);
    lblWebSite = link(QStringLiteral("Click here to visit the Vornap website"), 102);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setGeometry(105, 138, 90, 28);
    cmdOK->setDefault(true);

    auto on = [this](auto* sender, auto signal, void (frmAbout::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { unhandled(this->app, [&] { (this->*handler)(); }); });
    };
    on(cmdOK, &QPushButton::clicked, &frmAbout::cmdOK_Click);
    on(lblHelpLink, &PlainLabel::clicked, &frmAbout::lblHelpLink_Click);
    on(lblWebSite, &PlainLabel::clicked, &frmAbout::lblWebSite_Click);
}

void frmAbout::Form_Load() {
    lblVersion->setText(AboutVersionCaption(m_version));
    app.v.sSkinForm = QStringLiteral("frmAbout");
    SetSkin(app);
}

void ReportNotOpened(Application& app, QWidget* owner, const QString& target) {
    const bool missing = !target.contains(QStringLiteral("://")) && !QFileInfo::exists(target);
    app.platform.messageBox->show(
        owner,
        QStringLiteral("Could not open\r%1\r\r%2")
            .arg(target, missing ? QStringLiteral("The file does not exist.")
                                 : QStringLiteral("No web browser or other program for it "
                                                  "could be started.")),
        QStringLiteral("Cannot Open"));
}

void frmAbout::openPage(const QString& path) {
    const QString page = MakerWebPage(path);
    const bool opened =
        app.platform.shell->shellExecute(this, QString(), page, QString(), QDir::rootPath(), 1);
    close();
    if (!opened)
        ReportNotOpened(app, parentWidget(), page);
}

void frmAbout::lblHelpLink_Click() {
    openPage(QStringLiteral("/indexhelp.html"));
}

void frmAbout::lblWebSite_Click() {
    openPage(QStringLiteral("/indexvnp.html"));
}

void frmAbout::cmdOK_Click() {
    close();
}

SkinTargets frmAbout::skinTargets() {
    return {imgBackground, {lblTitle, lblVersion, lblWebSite, lblHelpLink}, {}, {}};
}

void frmAbout::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    TileBackground(painter, size(), imgBackground->picture());
}

frmAbout* LoadFrmAbout(Application& app) {
    auto* box = new frmAbout(app, app.cd);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->Form_Load();
    return box;
}

void RegisterAboutForm(Application& app) {
    app.formFactories[QStringLiteral("frmAbout")] = [](Application& a) -> QWidget* {
        return LoadFrmAbout(a);
    };
}

void frmCD::mnuHelpClick_Click() {
    if (!app.platform.help->htmlHelp(this, app.helpFile, platform::HelpViewer::HH_DISPLAY_TOPIC, 0))
        ReportNotOpened(app, this, app.helpFile);
}

void frmCD::mnuAbout_Click() {
    // A skin change may already have loaded it, hidden.
    auto* box = qobject_cast<frmAbout*>(app.frmAbout.data());
    if (!box)
        box = LoadFrmAbout(app);
    showModal(box);
}

} // namespace vornap
