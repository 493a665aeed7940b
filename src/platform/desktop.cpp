#include "platform/curldownloader.h"
#include "platform/mci/mcidevice.h"
#include "platform/nodevice.h"
#include "platform/platform.h"
#include "platform/registrystore.h"
#include "platform/userdata.h"

#include <QFileInfo>

namespace vornap::platform {

Platform makeDesktopPlatform() {
    Platform p;
    auto appPath = std::make_unique<DefaultAppPath>();
    const AppPathLayout layout = appPath->layout();
    const bool firstStart = !QFileInfo::exists(layout.path + QStringLiteral("/VornapOptions.dat"));
    prepareUserAppPath(layout);
    p.appPath = std::move(appPath);
    p.instanceLock = std::make_unique<FileInstanceLock>(p.appPath->path());
    p.process = std::make_unique<RealProcessControl>();
    p.messageBox = std::make_unique<QtMessageBox>();
    // Real optical drives and the virtual drives of the drives file.
    CdDeviceOptions cd;
    cd.appPath = p.appPath->path();
    cd.demoWhenNoDrives = true;
    CdDevices devices = makeCdDevices(cd);
    // An installed copy's first start on a machine without a drive plays the
    // demo disc at once, as the build tree's start script arranges.
    if (layout.installed() && firstStart && devices.table->usesDemoTray())
        seedDemoOptions(layout.path);
    devices.installInto(p);
    p.registry = std::make_unique<FileRegistry>(FileRegistry::defaultPath());
    p.tray = std::make_unique<QtTray>();
    p.windowStyle = std::make_unique<DesktopWindowStyle>();
    p.shell = std::make_unique<DesktopShell>();
    p.help = std::make_unique<DesktopHelpViewer>();
    p.downloader = std::make_unique<CurlDownloader>();
    p.counter = std::make_unique<SteadyCounter>();
    return p;
}

} // namespace vornap::platform
