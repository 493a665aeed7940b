#pragma once

#include "app/application.h"

namespace vornap {

// Reads the counter's frequency and start value into curTimerFrequency and
// curTimerStart.
void StartTimer(Application& app);
// Reads curTimerEnd and sets iTimerSeconds to the elapsed time in whole
// seconds, halves rounded to the even neighbour.
void StopTimer(Application& app);

} // namespace vornap
