#include "platform/audio/audiooutput.h"

#include <QLoggingCategory>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <thread>

Q_LOGGING_CATEGORY(lcAudio, "vornap.audio", QtInfoMsg)

namespace vornap::platform::audio {

namespace {

using namespace std::chrono;

std::int64_t samplesIn(Clock::duration d) {
    return std::int64_t(duration_cast<nanoseconds>(d).count() * sampleRate / 1'000'000'000LL);
}
Clock::duration durationOf(std::int64_t samples) {
    return nanoseconds(samples * 1'000'000'000LL / sampleRate);
}

class SilentStream final : public AudioStream {
public:
    SilentStream(Clock& clock, std::int64_t startAt)
        : m_clock(clock), m_start(clock.now()), m_startAt(startAt), m_written(startAt) {}

    bool write(const std::int16_t*, std::int64_t samples, std::stop_token stop) override {
        m_written += samples;
        // Stay a little ahead of the clock, as a sound card's buffer would.
        const std::int64_t ahead = m_written - played();
        if (ahead > sampleRate / 5)
            m_clock.sleepUntil(m_start + durationOf(m_written - m_startAt - sampleRate / 10), stop);
        return true;
    }
    std::int64_t played() const override { return m_startAt + samplesIn(m_clock.now() - m_start); }
    std::int64_t written() const override { return m_written; }
    std::int64_t neededFrom() const override { return std::max(m_written.load(), played()); }
    void skip(std::int64_t samples) override { m_written += samples; }
    bool drain(std::stop_token stop) override {
        return m_clock.sleepUntil(m_start + durationOf(m_written - m_startAt), stop);
    }

private:
    Clock& m_clock;
    const Clock::duration m_start;
    const std::int64_t m_startAt;
    std::atomic<std::int64_t> m_written;
};

} // namespace

std::unique_ptr<AudioStream> makeSilentStream(Clock& clock, std::int64_t startAt) {
    return std::make_unique<SilentStream>(clock, startAt);
}

class CaptureStream final : public AudioStream {
public:
    explicit CaptureStream(CaptureAudioOutput& out) : m_out(out) {}
    bool write(const std::int16_t* interleaved, std::int64_t samples, std::stop_token) override {
        std::lock_guard lock(m_out.m_mutex);
        m_out.m_samples.insert(m_out.m_samples.end(), interleaved, interleaved + samples * 2);
        m_written += samples;
        return true;
    }
    std::int64_t played() const override { return m_written; }
    std::int64_t written() const override { return m_written; }
    void skip(std::int64_t samples) override { m_written += samples; }
    bool drain(std::stop_token) override { return true; }

private:
    CaptureAudioOutput& m_out;
    std::atomic<std::int64_t> m_written{0};
};

std::unique_ptr<AudioStream> CaptureAudioOutput::open() {
    std::lock_guard lock(m_mutex);
    ++m_streams;
    return std::make_unique<CaptureStream>(*this);
}

namespace {

class PulseStream final : public AudioStream {
public:
    explicit PulseStream(pa_simple* s) : m_pa(s) {}
    ~PulseStream() override { pa_simple_free(m_pa); }

    bool write(const std::int16_t* interleaved, std::int64_t samples, std::stop_token) override {
        int error = 0;
        if (pa_simple_write(m_pa, interleaved, size_t(samples) * 4, &error) < 0) {
            qCWarning(lcAudio) << "PulseAudio write failed:" << pa_strerror(error);
            return false;
        }
        m_written += samples;
        return noteLatency();
    }
    // What was heard: the frames written minus the server's latency, carried
    // forward in real time between writes.
    std::int64_t played() const override {
        const std::int64_t heard = m_heard.load();
        const auto since = steady_clock::now().time_since_epoch().count() - m_heardAt.load();
        return std::clamp<std::int64_t>(heard + since * sampleRate / 1'000'000'000LL, 0,
                                        m_written.load());
    }
    std::int64_t written() const override { return m_written; }
    void skip(std::int64_t samples) override {
        m_written += samples;
        m_heard += samples;
    }
    // The last quarter second: pa_simple_drain also plays out what is below
    // the server's start threshold, which waiting alone would not.
    bool drain(std::stop_token stop) override {
        if (stop.stop_requested())
            return false;
        int error = 0;
        if (pa_simple_drain(m_pa, &error) < 0) {
            qCWarning(lcAudio) << "PulseAudio drain failed:" << pa_strerror(error);
            return false;
        }
        m_heard = m_written.load();
        m_heardAt = steady_clock::now().time_since_epoch().count();
        return true;
    }
    void discard() override {
        int error = 0;
        pa_simple_flush(m_pa, &error);
    }

private:
    bool noteLatency() {
        int error = 0;
        const pa_usec_t latency = pa_simple_get_latency(m_pa, &error);
        if (latency == pa_usec_t(-1)) {
            qCWarning(lcAudio) << "PulseAudio latency query failed:" << pa_strerror(error);
            return false;
        }
        m_heard =
            std::max<std::int64_t>(0, m_written - std::int64_t(latency) * sampleRate / 1'000'000);
        m_heardAt = steady_clock::now().time_since_epoch().count();
        return true;
    }

    pa_simple* m_pa;
    std::atomic<std::int64_t> m_written{0};
    std::atomic<std::int64_t> m_heard{0};
    std::atomic<std::int64_t> m_heardAt{steady_clock::now().time_since_epoch().count()};
};

} // namespace

std::unique_ptr<AudioStream> PulseAudioOutput::open() {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16LE;
    spec.rate = sampleRate;
    spec.channels = 2;
    // Half a second of buffer rides out a busy machine; pause and stop flush
    // it, so they still take effect at once.
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(sampleRate / 2 * 4);
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(-1);
    int error = 0;
    pa_simple* s = pa_simple_new(nullptr, "Vornap", PA_STREAM_PLAYBACK, nullptr, "CD audio", &spec,
                                 nullptr, &attr, &error);
    if (!s) {
        if (!m_reportedFailure)
            qCWarning(lcAudio).noquote()
                << QStringLiteral("No sound server (%1): the CD plays silently")
                       .arg(pa_strerror(error));
        m_reportedFailure = true;
        return makeSilentStream(m_clock);
    }
    m_reportedFailure = false;
    return std::make_unique<PulseStream>(s);
}

} // namespace vornap::platform::audio
