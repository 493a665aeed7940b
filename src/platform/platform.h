#pragma once

#include "platform/counter.h"
#include "platform/download.h"
#include "platform/drives.h"
#include "platform/mci.h"
#include "platform/messagebox.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/tray.h"
#include "platform/windowstyle.h"

#include <memory>

namespace vornap::platform {

// Every operating-system service the player reaches, in one place, so a test
// can swap any of them.
struct Platform {
    std::unique_ptr<AppPath> appPath;
    std::unique_ptr<InstanceLock> instanceLock;
    std::unique_ptr<ProcessControl> process;
    std::unique_ptr<MessageBox> messageBox;
    std::unique_ptr<Mci> mci;
    std::unique_ptr<DriveTypes> driveTypes;
    std::unique_ptr<DiscRootListing> discRoot;
    std::unique_ptr<DiscTocSource> discToc;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<Tray> tray;
    std::unique_ptr<WindowStyle> windowStyle;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<HelpViewer> help;
    std::unique_ptr<Downloader> downloader;
    std::unique_ptr<Counter> counter;
};

// The services of a desktop session on this machine.
Platform makeDesktopPlatform();

} // namespace vornap::platform
