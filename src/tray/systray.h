#pragma once

#include "app/application.h"

namespace vornap {

class frmCD;

// Adds the tray icon when tray mode is on.
void AddSysTrayIcon(Application& app);
// Sets the window's application-window bit again, so it has a taskbar button.
void GiveBackTaskbarButton(frmCD& form);

} // namespace vornap
