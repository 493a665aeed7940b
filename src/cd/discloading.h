#pragma once

#include "app/application.h"

namespace vornap {

// Takes in the disc of the drive in use.
void GetCDInfo(Application& app);

} // namespace vornap
