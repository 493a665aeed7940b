#pragma once

#include "app/application.h"

namespace vornap {

// Lists the CD drives in the drive box (scan mode), or rewrites the current
// drive's entry (rename mode, bRenameDrive).
void GetDriveType(Application& app);
// Sets bAudioCD from the listing of the disc root.
void CheckCDContents(Application& app, const String& driveRoot);

} // namespace vornap
