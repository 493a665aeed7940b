#include "about/frmabout.h"
#include "app/application.h"
#include "app/frmcd.h"
#include "freedb/freedblookup.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "mpris/mpris.h"
#include "platform/platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vornap"));
    QApplication::setQuitOnLastWindowClosed(false);

    vornap::platform::Platform platform = vornap::platform::makeDesktopPlatform();
    vornap::Application app(platform);
    vornap::frmCD form(app, std::make_unique<vornap::FreeDbLookup>(
                                *platform.discToc, *platform.registry, app.appPath()));
    form.Form_Load();
    vornap::MprisService mpris(app, QDBusConnection::sessionBus());
    mpris.start();
    form.show();
    // How a skin change loads a skinned dialog that is not open.
    vornap::RegisterAboutForm(app);
    vornap::RegisterEmailForm(app);
    vornap::RegisterProxyForm(app);
    return QApplication::exec();
}
