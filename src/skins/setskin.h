#pragma once

#include "app/application.h"

namespace vornap {

// Applies the current skin to the window named by sSkinForm.
void SetSkin(Application& app);

} // namespace vornap
