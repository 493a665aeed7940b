#pragma once

#include <chrono>
#include <cstdint>

namespace vornap::platform {

// QueryPerformanceFrequency / QueryPerformanceCounter.
class Counter {
public:
    virtual ~Counter() = default;
    virtual std::int64_t frequency() = 0;
    virtual std::int64_t counter() = 0;
};

class SteadyCounter final : public Counter {
public:
    std::int64_t frequency() override {
        using period = std::chrono::steady_clock::period;
        return period::den / period::num;
    }
    std::int64_t counter() override {
        return std::chrono::steady_clock::now().time_since_epoch().count();
    }
};

} // namespace vornap::platform
