#include "app/frmcd.h"

namespace vornap {

void frmCD::imgPlay_Click() {}
void frmCD::imgPause_Click() {}
void frmCD::imgStop_Click() {}
void frmCD::imgForward_Click() {}
void frmCD::imgBack_Click() {}
void frmCD::cboCurrentTrack_Click() {}
void frmCD::cboCurrentTrack_DropDown() {}
void frmCD::imgPlay_MouseDown() {}
void frmCD::imgPlay_MouseUp() {}
void frmCD::imgPause_MouseDown() {}
void frmCD::imgPause_MouseUp() {}
void frmCD::imgStop_MouseDown() {}
void frmCD::imgStop_MouseUp() {}
void frmCD::imgForward_MouseDown() {}
void frmCD::imgForward_MouseUp() {}
void frmCD::imgBack_MouseDown() {}
void frmCD::imgBack_MouseUp() {}

} // namespace vornap
