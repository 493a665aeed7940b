#pragma once

#include "version.h"

#include <QString>

namespace vornap {

// Major, ".", then minor and revision written together: 1.2.3 gives "1.23".
inline QString VersionText() {
    return QString::number(version::major) + '.' + QString::number(version::minor) +
           QString::number(version::revision);
}

} // namespace vornap
