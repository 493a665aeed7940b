#include "cd/discloading.h"

namespace vornap {

void GetCDInfo(Application&) {}

} // namespace vornap
