#include "app/frmcd.h"

namespace vornap {

// The preferences dialog opens from here once it exists.
void frmCD::mnuPref_Click() {
}

} // namespace vornap
