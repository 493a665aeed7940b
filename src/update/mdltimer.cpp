#include "update/mdltimer.h"

namespace vornap {

void StartTimer(Application& app) {
    auto& v = app.v;
    v.curTimerFrequency = app.platform.counter->frequency();
    v.curTimerStart = app.platform.counter->counter();
}

void StopTimer(Application& app) {
    auto& v = app.v;
    v.curTimerEnd = app.platform.counter->counter();
    const double seconds = double(v.curTimerEnd - v.curTimerStart) / double(v.curTimerFrequency);
    v.iTimerSeconds = CInt(seconds);
}

} // namespace vornap
