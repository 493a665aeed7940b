#pragma once

#include "app/application.h"

namespace vornap {

void DeleteMenuItems(Application& app);
void LoadMenuItems(Application& app);

} // namespace vornap
