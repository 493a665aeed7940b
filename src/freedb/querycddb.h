#pragma once

#include "app/application.h"

namespace vornap {

// Looks the disc up and shows the answer everywhere.
void QueryCDDB(Application& app);

// A context menu on the artist and album labels that offers the other
// matches the last lookup found.
void AttachMatchMenu(Application& app);
// Shows match `index` of the last lookup instead, and caches it for the disc.
void ChooseMatch(Application& app, int index);

} // namespace vornap
