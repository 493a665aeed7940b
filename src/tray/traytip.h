#pragma once

#include "platform/tray.h"

#include <QString>

namespace vornap {

// Stores a text left-aligned into the tray record's 64-character tip field:
// padded with blanks, cut at 64. A NUL the caller appends ends the tip there.
void SetTrayTip(platform::NotifyIconData& nid, const QString& text);

} // namespace vornap
