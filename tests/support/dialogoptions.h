#pragma once

#include "support/files.h"
#include "support/skins.h"

namespace vornap::test {

// Gives an application directory what a skinned dialog's load reads: the
// base skin and an options file naming it, with the given e-mail address.
// Returns the skin directory as the options file holds it.
inline QString writeOptionsWithSkin(const QString& dir, const QString& email = QString()) {
    installSkin(dir);
    const QString skin = dir + QStringLiteral("/Skins/Base/");
    writeOptionsFile(dir, {.skinDir = skin, .useCDDB = QStringLiteral("1"), .email = email});
    return skin;
}

} // namespace vornap::test
