#include "options/options.h"

namespace vornap {

void CheckOptions(Application&) {}

void SaveOptions(Application&) {}

} // namespace vornap
