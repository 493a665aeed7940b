#include "freedb/querycddb.h"

#include "app/frmcd.h"

namespace vornap {

void QueryCDDB(Application&) {}

void frmCD::lblCDDB_Click() { QueryCDDB(app); }

} // namespace vornap
