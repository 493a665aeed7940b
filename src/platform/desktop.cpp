#include "platform/curldownloader.h"
#include "platform/mci/mcidevice.h"
#include "platform/nodevice.h"
#include "platform/platform.h"
#include "platform/registrystore.h"

namespace vornap::platform {

Platform makeDesktopPlatform() {
    Platform p;
    p.appPath = std::make_unique<DefaultAppPath>();
    p.instanceLock = std::make_unique<FileInstanceLock>(p.appPath->path());
    p.process = std::make_unique<RealProcessControl>();
    p.messageBox = std::make_unique<QtMessageBox>();
    // Real optical drives and the virtual drives of the drives file.
    CdDeviceOptions cd;
    cd.appPath = p.appPath->path();
    makeCdDevices(cd).installInto(p);
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
