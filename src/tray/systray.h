#pragma once

#include "app/application.h"

namespace vornap {

// Adds the tray icon when tray mode is on.
void AddSysTrayIcon(Application& app);


} // namespace vornap
