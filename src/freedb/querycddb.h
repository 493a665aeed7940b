#pragma once

#include "app/application.h"

namespace vornap {

// Looks the disc up and shows the answer everywhere.
void QueryCDDB(Application& app);

} // namespace vornap
