#include "about/frmabout.h"
#include "app/application.h"
#include "app/frmcd.h"
#include "cd/displaytrace.h"
#include "freedb/freedblookup.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "mpris/mpris.h"
#include "options/frmpref.h"
#include "platform/platform.h"
#include "skins/frmselectskindirectory.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornap"));
    QApplication::setDesktopFileName(QStringLiteral("vornap"));
    QApplication::setQuitOnLastWindowClosed(false);

    vornap::platform::Platform platform = vornap::platform::makeDesktopPlatform();
    vornap::Application app(platform);
    vornap::frmCD form(app, std::make_unique<vornap::FreeDbLookup>(
                                *platform.discToc, *platform.registry, app.appPath()));
    vornap::installDisplayTrace(form);
    // How a skin change (or a button) loads a dialog that is not open.
    vornap::RegisterAboutForm(app);
    vornap::RegisterEmailForm(app);
    vornap::RegisterProxyForm(app);
    vornap::registerPreferencesDialog(app);
    vornap::RegisterSkinChooserForm(app);
    form.Form_Load();
    vornap::MprisService mpris(app, QDBusConnection::sessionBus());
    mpris.start();
    form.show();
    return QApplication::exec();
}
