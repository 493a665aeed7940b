#pragma once

#include "app/vberror.h"

#include <functional>

namespace vornap::test {

// The run-time error number a call raises; 0 when it raises none.
inline int errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

} // namespace vornap::test
