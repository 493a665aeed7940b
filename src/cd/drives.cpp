#include "cd/drives.h"

#include "app/frmcd.h"

namespace vornap {

void GetDriveType(Application&) {}

void CheckCDContents(Application&, const String&) {}

void frmCD::cboCDDrive_DropDown() {}

void frmCD::cboCDDrive_Click() {}

} // namespace vornap
