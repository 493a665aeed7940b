#include "app/frmcd.h"

namespace vornap {

// The dialogs open from here once they exist.
void frmCD::mnuPref_Click() {}
void frmCD::mnuCheckUpdate_Click() {}
void frmCD::mnuAbout_Click() {}

} // namespace vornap
