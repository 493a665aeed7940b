#pragma once

#include "app/application.h"

namespace vornap {

// Reads the options file into the option strings.
void CheckOptions(Application& app);
// Writes the option strings back to the options file.
void SaveOptions(Application& app);

} // namespace vornap
