#include "update/frmupdate.h"

#include "app/frmcd.h"
#include "app/vberror.h"
#include "app/versiontext.h"
#include "app/waitaside.h"
#include "options/fieldreader.h"
#include "update/mdltimer.h"
#include "update/webserver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

namespace vornap {

namespace {
const QString kCheckCaption = QStringLiteral("C&heck for Update");
// A server version longer than this is not a version; showing it whole
// would only stretch the label.
constexpr qsizetype kShownVersionLength = 40;
} // namespace

frmUpdate::frmUpdate(Application& app, QWidget* parent)
    : QDialog(parent), app(app), sVersionText(VersionText()) {
    // The main window closes it through this slot when it unloads.
    app.frmUpdate = this;
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("Checking for Update..."));
    setFixedSize(300, 130);

    lblVersion = new PlainLabel(QString(), this);
    lblVersion->setGeometry(12, 12, 276, 16);
    lblServerVersion = new PlainLabel(QString(), this);
    lblServerVersion->setGeometry(12, 32, 276, 16);
    lblUpdate = new PlainLabel(QString(), this);
    lblUpdate->setGeometry(12, 56, 276, 16);

    cmdGetUpdate = new QPushButton(kCheckCaption, this);
    cmdGetUpdate->setGeometry(12, 88, 150, 28);
    cmdGetUpdate->setToolTip(QStringLiteral("You must be connected to the Internet!!"));
    cmdGetUpdate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setGeometry(198, 88, 90, 28);

    connect(cmdGetUpdate, &QPushButton::clicked, this,
            [this] { unhandled(this->app, [this] { cmdGetUpdate_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { unhandled(this->app, [this] { cmdCancel_Click(); }); });
}

void frmUpdate::Form_Load() {
    lblVersion->setText(QStringLiteral("Your version = ") + sVersionText);
    lblServerVersion->setText(QStringLiteral("Server version = ?"));
}

QString frmUpdate::UpdateFileUrl() {
    return MakerWebPage(QStringLiteral("/programs/VornapUpdate.txt"));
}

QString frmUpdate::LocalCopyPath() const {
    return app.appPath() + QStringLiteral("/VornapUpdate.txt");
}

void frmUpdate::DoStuff() {
    cmdGetUpdate->setEnabled(false);
    lblUpdate->setText(QStringLiteral("Checking..."));
    // The download blocks the event loop; show the busy state before it does.
    lblUpdate->repaint();
    cmdGetUpdate->repaint();
}

bool frmUpdate::DownloadFile(const QString& url, const QString& localPath) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = false;
    runAside(app, [&] { ok = app.platform.downloader->downloadToFile(url, localPath); });
    QApplication::restoreOverrideCursor();
    return ok;
}

bool frmUpdate::FileExist(const QString& path) {
    return QFileInfo(path).isFile();
}

std::optional<QString> frmUpdate::ReadServerVersion(const QString& path) {
    try {
        FieldReader file = FieldReader::open(path);
        return UpdateFileVersion(file);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::optional<QString> UpdateFileVersion(FieldReader& file) {
    if (file.atEnd())
        return std::nullopt;
    return file.input();
}

void frmUpdate::cmdGetUpdate_Click() {
    if (cmdGetUpdate->text() == kCheckCaption) {
        check();
        return;
    }
    app.platform.shell->shellExecute(this, QString(),
                                     MakerWebPage(QStringLiteral("/indexvnp.html")), QString(),
                                     QDir::rootPath(), 1);
    close();
}

void frmUpdate::check() {
    auto& v = app.v;
    DoStuff();
    StartTimer(app);

    const QString localCopy = LocalCopyPath();
    // A copy left by an interrupted earlier check must not pass for a new one.
    QFile::remove(localCopy);
    DownloadFile(UpdateFileUrl(), localCopy);

    std::optional<QString> serverVersion;
    if (FileExist(localCopy)) {
        serverVersion = ReadServerVersion(localCopy);
        QFile::remove(localCopy);
    }

    // Timers go on running inside a message box, so the clock is only made
    // up for the time the download held the event loop, and only when it runs.
    StopTimer(app);
    if (v.bPlaying)
        v.iElapsedSec = Integer(v.iElapsedSec + (v.iTimerSeconds >= 1 ? v.iTimerSeconds : 1));

    if (!serverVersion) {
        app.platform.messageBox->show(
            this,
            QStringLiteral("Cannot connect to server, check your Internet connection or try "
                           "again later."),
            QStringLiteral("Error"));
        return;
    }

    QString shown = *serverVersion;
    if (shown.size() > kShownVersionLength)
        shown = shown.left(kShownVersionLength) + QStringLiteral("...");
    lblServerVersion->setText(QStringLiteral("Server version = ") + shown);
    if (Val(sVersionText) < Val(*serverVersion)) {
        lblUpdate->setText(QStringLiteral("Update Available! (Version ") + shown + ')');
        cmdGetUpdate->setText(QStringLiteral("&Get Update"));
    } else {
        lblUpdate->setText(QStringLiteral("You have the latest version!"));
    }
    cmdGetUpdate->setEnabled(true);
}

void frmUpdate::cmdCancel_Click() {
    close();
}

void ShowUpdateDialog(Application& app, QWidget* owner) {
    auto* dialog = new frmUpdate(app, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->Form_Load();
    showModal(dialog);
}

void frmCD::mnuCheckUpdate_Click() {
    ShowUpdateDialog(app, this);
}

} // namespace vornap
