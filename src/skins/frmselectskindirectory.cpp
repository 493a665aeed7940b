#include "skins/frmselectskindirectory.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "options/options.h"
#include "skins/dirlistbox.h"
#include "skins/setskin.h"
#include "skins/skinfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vornap {

namespace {
const QString kQuoteText = QStringLiteral(
    "The skin cannot be used from this directory: its path contains a double quote (\"), "
    "which the options file cannot store.\rPlease rename the directory or move the skin "
    "to a directory without one.");
const QString kCaption = QStringLiteral("Select Skin Directory");

// The nearest directory at or above the path that exists.
QString existingDirectory(QString path) {
    while (!QFileInfo(path).isDir()) {
        const QString up = QFileInfo(path).absolutePath();
        if (up == path)
            return QDir::rootPath();
        path = up;
    }
    return path;
}
} // namespace

frmSelectSkinDirectory::frmSelectSkinDirectory(Application& app, QWidget* parent)
    : QDialog(parent), app(app) {
    setObjectName(QStringLiteral("frmSelectSkinDirectory"));
    setWindowTitle(kCaption);
    setModal(true);

    Dir1 = new DirListBox(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    cmdOK = new QPushButton(QStringLiteral("&Apply Skin"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Dir1);
    layout->addLayout(buttons);
    // Fixed like the other dialogs: a window manager draws a resizable one
    // with a handle strip under the buttons.
    setFixedSize(340, 320);

    connect(cmdOK, &QPushButton::clicked, this,
            [this] { unhandled(this->app, [&] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this,
            [this] { unhandled(this->app, [&] { cmdCancel_Click(); }); });
}

void frmSelectSkinDirectory::Form_Load() {
    // Start in the skins folder; when it has gone, at the nearest folder above it.
    Dir1->setPath(existingDirectory(app.appPath() + QStringLiteral("/Skins")));
}

void frmSelectSkinDirectory::cmdOK_Click() {
    const QString current = Dir1->path();
    const QString candidate = current.endsWith('/') ? current : current + '/';

    // Besides the eleven files, the background must be there and every file
    // must read: a skin saved and then failing would stop every later start.
    if (!isUsableSkin(candidate)) {
        app.platform.messageBox->show(this, kNoSkinText, kNoSkinCaption);
        return;
    }
    if (candidate.contains('"')) {
        app.platform.messageBox->show(this, kQuoteText, kCaption);
        return;
    }

    auto& v = app.v;
    v.sSkinDir = candidate;
    SaveOptions(app);

    for (const char* form : {"frmAbout", "frmCD"}) {
        v.sSkinForm = QString::fromLatin1(form);
        SetSkin(app);
    }
    if (app.cd)
        app.cd->update();

    for (const char* form : {"frmEmail", "frmPref", "frmSetProxy"}) {
        v.sSkinForm = QString::fromLatin1(form);
        SetSkin(app);
    }

    accept();
    if (app.frmPref) {
        app.frmPref->update();
        if (app.frmPref->isVisible())
            app.frmPref->activateWindow();
    }
}

void frmSelectSkinDirectory::cmdCancel_Click() {
    reject();
}

frmSelectSkinDirectory* LoadSelectSkinDirectory(Application& app, QWidget* owner) {
    auto* form = new frmSelectSkinDirectory(app, owner);
    app.frmSelectSkinDirectory = form;
    unhandled(app, [&] { form->Form_Load(); });
    return form;
}

void RegisterSkinChooserForm(Application& app) {
    app.formFactories[QStringLiteral("frmSelectSkinDirectory")] = [](Application& a) -> QWidget* {
        return LoadSelectSkinDirectory(a, a.cd);
    };
}

} // namespace vornap
