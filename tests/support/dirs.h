#pragma once

#include <QString>

namespace vornap::test {

// The trees CTest names in every test's environment.
inline QString buildDir() {
    return qEnvironmentVariable("VORNAP_BUILD_DIR");
}
inline QString sourceDir() {
    return qEnvironmentVariable("VORNAP_SOURCE_DIR");
}

} // namespace vornap::test
