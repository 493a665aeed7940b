#include "tray/trackmenu.h"

#include "app/frmcd.h"

namespace vornap {

void DeleteMenuItems(Application&) {}

void LoadMenuItems(Application&) {}

void frmCD::mnuTrackList_Click(Integer) {}

} // namespace vornap
