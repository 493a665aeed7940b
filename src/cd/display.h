#pragma once

#include "app/application.h"

namespace vornap {

// Refreshes the track-dependent labels and the progress bar's range.
void UpdInfo(Application& app);

} // namespace vornap
