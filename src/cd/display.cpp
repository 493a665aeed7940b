#include "cd/display.h"

#include "app/frmcd.h"

namespace vornap {

void UpdInfo(Application&) {}

void frmCD::tmrTime_Timer() {}

} // namespace vornap
