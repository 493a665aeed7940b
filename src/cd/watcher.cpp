#include "app/frmcd.h"

namespace vornap {

void frmCD::tmrCDCheck_Timer() {}

} // namespace vornap
