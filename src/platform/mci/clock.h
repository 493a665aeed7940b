#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace vornap::platform {

// The time source of the CD device. Playback positions of the silent output
// and every wait of a playback thread go through it, so a test can play an
// hour of disc in a few milliseconds with a ManualClock.
class Clock {
public:
    using duration = std::chrono::nanoseconds;
    virtual ~Clock() = default;
    virtual duration now() const = 0;
    // Blocks until now() >= when or a stop is requested; true when the time came.
    virtual bool sleepUntil(duration when, std::stop_token stop) = 0;
};

class SteadyClock final : public Clock {
public:
    duration now() const override { return std::chrono::steady_clock::now().time_since_epoch(); }
    bool sleepUntil(duration when, std::stop_token stop) override {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::time_point(
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(when));
        m_cv.wait_until(lock, stop, deadline, [] { return false; });
        return !stop.stop_requested();
    }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_cv;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    duration now() const override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    void advance(duration by) {
        {
            std::lock_guard lock(m_mutex);
            m_now += by;
        }
        m_cv.notify_all();
    }
    void advanceMs(long long ms) { advance(std::chrono::milliseconds(ms)); }
    bool sleepUntil(duration when, std::stop_token stop) override {
        std::unique_lock lock(m_mutex);
        ++m_sleepers;
        const bool reached = m_cv.wait(lock, stop, [&] { return m_now >= when; });
        --m_sleepers;
        return reached;
    }
    // Threads waiting for this clock: lets a test move it only once a paced
    // output has really started waiting on it.
    int sleepers() const {
        std::lock_guard lock(m_mutex);
        return m_sleepers;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable_any m_cv;
    duration m_now{0};
    int m_sleepers = 0;
};

} // namespace vornap::platform
