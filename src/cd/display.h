#pragma once

#include "app/application.h"

class QTimer;

namespace vornap {

// Refreshes the track-dependent labels and the progress bar's range.
void UpdInfo(Application& app);

// Timer.Enabled = True: a timer already running keeps its period.
void enableTimer(QTimer* timer);

} // namespace vornap
