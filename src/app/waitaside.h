#pragma once

#include "app/application.h"

#include <functional>

namespace vornap {

// Runs `work` on a worker thread while the GUI thread waits in a local event
// loop. The windows keep painting, but as if the work blocked the window the
// user's input is dropped and no handler or timer tick runs until it ends.
// What `work` throws is thrown here.
void runAside(Application& app, const std::function<void()>& work);

} // namespace vornap
