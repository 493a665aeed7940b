#pragma once

#include "app/application.h"

namespace vornap {

// Adds the tray icon when tray mode is on.
void AddSysTrayIcon(Application& app);

// Stores a tip into the record's 64-character field: left-aligned, padded
// with blanks, cut at 64; a NUL after the text when asked for (it is lost
// when the text fills the field).
void setTrayTip(platform::NotifyIconData& record, const QString& text, bool appendNul);

} // namespace vornap
