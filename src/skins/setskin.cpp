#include "skins/setskin.h"

namespace vornap {

void SetSkin(Application&) {}

} // namespace vornap
