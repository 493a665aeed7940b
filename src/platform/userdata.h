#pragma once

#include "platform/process.h"

#include <QString>

namespace vornap::platform {

// Sets up an installed copy's per-user application path so that nothing is
// ever written under the read-only prefix. The shipped skins, demo disc and
// help are linked in and so read from the prefix (a folder or file of the
// user's own under the same name is left alone and wins); the bundled lookup
// entries are copied, since the cache is written to. Safe to run at every
// start: links follow the running copy's prefix. False when the folder
// cannot be made.
bool prepareUserAppPath(const AppPathLayout& layout);

// The options a first start with only the demo disc gets: play on start and
// look the disc up at once, which the bundled cache answers without network.
// Writes nothing when an options file exists. False when it cannot write.
bool seedDemoOptions(const QString& appPath);

} // namespace vornap::platform
