#include "app/frmcd.h"

namespace vornap {

// The dialogs open from here once they exist.
void frmCD::mnuCheckUpdate_Click() {}
void frmCD::mnuAbout_Click() {}

} // namespace vornap
