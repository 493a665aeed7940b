#include "skins/skinnedform.h"

#include "skins/tiling.h"

namespace vornap {

void SkinnedDialog::paintEvent(QPaintEvent*) {
    PaintFormBackground(*this, skinTargets().imgBackground);
}

} // namespace vornap
