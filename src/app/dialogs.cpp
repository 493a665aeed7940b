#include "app/frmcd.h"

namespace vornap {

// The dialogs open from here once they exist.
void frmCD::mnuPref_Click() {}

} // namespace vornap
