#include "tray/systray.h"

#include "app/frmcd.h"

namespace vornap {

void AddSysTrayIcon(Application&) {}

void frmCD::trayMessage(std::uint32_t) {}

void frmCD::Form_Resize() {}

void frmCD::mnuShow_Click() {}

void frmCD::mnuSysTrayExit_Click() { close(); }

} // namespace vornap
