#include "app/application.h"
#include "app/frmcd.h"
#include "freedb/freedblookup.h"
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
    return QApplication::exec();
}
