#include "platform/audio/audiooutput.h"

#include <QLoggingCategory>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
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

// One connection to the sound server, driven by libpulse's own thread. The
// streams of an output share it: a stream then starts with one round trip
// instead of a whole handshake.
class PulseConnection {
public:
    ~PulseConnection() {
        if (!m_loop)
            return;
        pa_threaded_mainloop_stop(m_loop);
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        pa_threaded_mainloop_free(m_loop);
    }

    // Null with the server's error text when no server answers.
    static std::shared_ptr<PulseConnection> connect(QString& error) {
        std::shared_ptr<PulseConnection> c(new PulseConnection);
        c->m_loop = pa_threaded_mainloop_new();
        if (!c->m_loop) {
            error = QStringLiteral("no main loop");
            return nullptr;
        }
        c->m_context = pa_context_new(pa_threaded_mainloop_get_api(c->m_loop), "Vornap");
        pa_context_set_state_callback(c->m_context, &PulseConnection::changed, c.get());
        if (pa_context_connect(c->m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 ||
            pa_threaded_mainloop_start(c->m_loop) < 0) {
            error = c->lastError();
            return nullptr;
        }
        Locked lock(c->m_loop);
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(c->m_context);
            if (state == PA_CONTEXT_READY)
                return c;
            if (!PA_CONTEXT_IS_GOOD(state)) {
                error = c->lastError();
                return nullptr;
            }
            pa_threaded_mainloop_wait(c->m_loop);
        }
    }

    struct Locked {
        explicit Locked(pa_threaded_mainloop* l) : loop(l) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    pa_threaded_mainloop* loop() const { return m_loop; }
    pa_context* context() const { return m_context; }
    bool healthy() {
        Locked lock(m_loop);
        return PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context));
    }
    QString lastError() const {
        return QString::fromUtf8(pa_strerror(pa_context_errno(m_context)));
    }

private:
    PulseConnection() = default;
    static void changed(pa_context*, void* self) {
        pa_threaded_mainloop_signal(static_cast<PulseConnection*>(self)->m_loop, 0);
    }

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
};

namespace {

// One playback stream on the shared connection. The asynchronous API rather
// than the simple one: timing comes interpolated without a round trip per
// write, and the stream tells when the server ran out of sound.
class PulseStream final : public AudioStream {
public:
    ~PulseStream() override {
        if (m_stream) {
            Locked lock(loop());
            pa_stream_set_state_callback(m_stream, nullptr, nullptr);
            pa_stream_set_write_callback(m_stream, nullptr, nullptr);
            pa_stream_set_underflow_callback(m_stream, nullptr, nullptr);
            pa_stream_disconnect(m_stream);
            pa_stream_unref(m_stream);
        }
        if (m_written > 0)
            qCDebug(lcAudio).noquote()
                << QStringLiteral("stream closed: %1 samples written, %2 underruns")
                       .arg(m_written.load())
                       .arg(m_underruns.load());
    }

    // Null with the server's error text when the stream cannot be made.
    static std::unique_ptr<PulseStream> open(std::shared_ptr<PulseConnection> connection,
                                             const pa_buffer_attr& attr, QString& error) {
        std::unique_ptr<PulseStream> s(new PulseStream(std::move(connection)));
        if (!s->start(attr, error))
            return nullptr;
        return s;
    }

    // Sound is held back until the server wants a whole request's worth:
    // each wake-up of this thread and of libpulse's costs more than the copy.
    bool write(const std::int16_t* interleaved, std::int64_t samples,
               std::stop_token stop) override {
        const std::stop_callback wake(stop, [this] { signal(); });
        const auto* data = reinterpret_cast<const std::uint8_t*>(interleaved);
        Locked lock(loop());
        m_staged.insert(m_staged.end(), data, data + std::size_t(samples) * 4);
        m_written += samples;
        return send(m_request, &stop);
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
        Locked lock(loop());
        m_written += samples;
        m_sent += samples;
        m_heard += samples;
    }
    // The last stretch: draining also plays out what is below the server's
    // start threshold, which waiting alone would not.
    bool drain(std::stop_token stop) override {
        const std::stop_callback wake(stop, [this] { signal(); });
        Locked lock(loop());
        if (!send(1, &stop) || stop.stop_requested())
            return false;
        m_ending = true;
        if (!complete(pa_stream_drain(m_stream, &PulseStream::succeeded, this), &stop)) {
            if (!stop.stop_requested())
                qCWarning(lcAudio) << "PulseAudio drain failed:" << m_connection->lastError();
            return false;
        }
        m_heard = m_written.load();
        m_heardAt = steady_clock::now().time_since_epoch().count();
        return true;
    }
    void discard() override {
        m_ending = true;
        Locked lock(loop());
        m_written -= std::int64_t(m_staged.size() / 4);
        m_staged.clear();
        if (healthy())
            complete(pa_stream_flush(m_stream, &PulseStream::succeeded, this), nullptr);
    }
    int underruns() const override { return m_underruns; }

private:
    using Locked = PulseConnection::Locked;

    explicit PulseStream(std::shared_ptr<PulseConnection> connection)
        : m_connection(std::move(connection)) {}

    pa_threaded_mainloop* loop() const { return m_connection->loop(); }

    bool start(const pa_buffer_attr& attr, QString& error) {
        Locked lock(loop());
        pa_sample_spec spec{};
        spec.format = PA_SAMPLE_S16LE;
        spec.rate = sampleRate;
        spec.channels = 2;
        m_stream = pa_stream_new(m_connection->context(), "CD audio", &spec, nullptr);
        if (!m_stream) {
            error = m_connection->lastError();
            return false;
        }
        pa_stream_set_state_callback(m_stream, &PulseStream::streamChanged, this);
        pa_stream_set_write_callback(m_stream, &PulseStream::writable, this);
        pa_stream_set_underflow_callback(m_stream, &PulseStream::underflow, this);
        // Timing is asked for once per refill (see send), not on libpulse's
        // own schedule of several requests a second.
        const auto flags =
            pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
            error = m_connection->lastError();
            return false;
        }
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(m_stream);
            if (state == PA_STREAM_READY)
                break;
            if (!PA_STREAM_IS_GOOD(state)) {
                error = m_connection->lastError();
                return false;
            }
            pa_threaded_mainloop_wait(loop());
        }
        if (const pa_buffer_attr* got = pa_stream_get_buffer_attr(m_stream)) {
            m_request = std::max<std::size_t>(got->minreq, 4);
            qCDebug(lcAudio) << "stream buffer" << got->tlength << "bytes, requests of"
                             << got->minreq << "bytes";
        }
        m_staged.reserve(m_request + 64 * 1024);
        askTiming();
        return true;
    }

    // Sends held-back sound (locked) while at least `atLeast` bytes of it
    // wait, each time the server has room for a request. A stop drops what
    // is left; false when the stream broke.
    bool send(std::size_t atLeast, const std::stop_token* stop) {
        std::size_t done = 0;
        while (m_staged.size() - done >= atLeast && done < m_staged.size()) {
            if (!healthy()) {
                qCWarning(lcAudio) << "PulseAudio write failed:" << m_connection->lastError();
                return false;
            }
            if (stop && stop->stop_requested()) {
                m_written -= std::int64_t((m_staged.size() - done) / 4);
                m_staged.clear();
                return true;
            }
            const std::size_t left = m_staged.size() - done;
            const std::size_t room = pa_stream_writable_size(m_stream);
            if (room == std::size_t(-1))
                return false;
            if (room < std::min(left, m_request)) {
                pa_threaded_mainloop_wait(loop());
                continue;
            }
            const std::size_t n = std::min(room, left) / 4 * 4;
            if (pa_stream_write(m_stream, m_staged.data() + done, n, nullptr, 0, PA_SEEK_RELATIVE) <
                0)
                return false;
            done += n;
            m_sent += std::int64_t(n / 4);
        }
        m_staged.erase(m_staged.begin(), m_staged.begin() + std::ptrdiff_t(done));
        if (done > 0) {
            noteLatency();
            askTiming();
        }
        return true;
    }

    // The reply comes while the server plays what was just sent, in time
    // for the next refill's latency.
    void askTiming() {
        if (pa_operation* op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
            pa_operation_unref(op);
    }

    bool healthy() const {
        return PA_CONTEXT_IS_GOOD(pa_context_get_state(m_connection->context())) &&
               PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream));
    }
    void signal() {
        Locked lock(loop());
        pa_threaded_mainloop_signal(loop(), 0);
    }
    // Waits (locked) for an operation; false when it failed, the connection
    // broke or a stop came first (the operation is then cancelled).
    bool complete(pa_operation* op, const std::stop_token* stop) {
        if (!op)
            return false;
        m_succeeded = -1;
        while (pa_operation_get_state(op) == PA_OPERATION_RUNNING && healthy() &&
               !(stop && stop->stop_requested()))
            pa_threaded_mainloop_wait(loop());
        if (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
            pa_operation_cancel(op);
        pa_operation_unref(op);
        return m_succeeded == 1;
    }
    void noteLatency() {
        pa_usec_t latency = 0;
        int negative = 0;
        // Without timing data yet, the whole buffer counts as not heard.
        if (pa_stream_get_latency(m_stream, &latency, &negative) < 0)
            latency = pa_usec_t(m_sent) * 1'000'000 / sampleRate;
        else if (negative)
            latency = 0;
        m_heard =
            std::max<std::int64_t>(0, m_sent - std::int64_t(latency) * sampleRate / 1'000'000);
        m_heardAt = steady_clock::now().time_since_epoch().count();
    }

    static void streamChanged(pa_stream*, void* self) {
        auto* s = static_cast<PulseStream*>(self);
        pa_threaded_mainloop_signal(s->loop(), 0);
    }
    static void writable(pa_stream*, size_t, void* self) {
        auto* s = static_cast<PulseStream*>(self);
        pa_threaded_mainloop_signal(s->loop(), 0);
    }
    static void succeeded(pa_stream*, int success, void* self) {
        auto* s = static_cast<PulseStream*>(self);
        s->m_succeeded = success ? 1 : 0;
        pa_threaded_mainloop_signal(s->loop(), 0);
    }
    // The end of a disc, a pause or a stop empties the buffer on purpose.
    static void underflow(pa_stream*, void* self) {
        auto* s = static_cast<PulseStream*>(self);
        if (!s->m_ending)
            ++s->m_underruns;
    }

    std::shared_ptr<PulseConnection> m_connection;
    pa_stream* m_stream = nullptr;
    std::size_t m_request = 4;
    std::vector<std::uint8_t> m_staged;
    std::int64_t m_sent = 0; // samples handed to the server
    int m_succeeded = -1;
    std::atomic<bool> m_ending{false};
    std::atomic<int> m_underruns{0};
    std::atomic<std::int64_t> m_written{0};
    std::atomic<std::int64_t> m_heard{0};
    std::atomic<std::int64_t> m_heardAt{steady_clock::now().time_since_epoch().count()};
};

} // namespace

PulseAudioOutput::PulseAudioOutput(Clock& clock) : m_clock(clock) {
}

PulseAudioOutput::~PulseAudioOutput() {
    if (m_ahead.valid())
        m_ahead.wait();
}

void PulseAudioOutput::connectAhead() {
    std::lock_guard lock(m_mutex);
    if (m_connection || m_ahead.valid())
        return;
    // A failure here is found again, and reported, by the first open().
    m_ahead = std::async(std::launch::async, [] {
        QString error;
        return PulseConnection::connect(error);
    });
}

std::shared_ptr<PulseConnection> PulseAudioOutput::connection(QString& error) {
    if (m_ahead.valid())
        m_connection = m_ahead.get();
    if (!m_connection || !m_connection->healthy())
        m_connection = PulseConnection::connect(error);
    return m_connection;
}

std::unique_ptr<AudioStream> PulseAudioOutput::open() {
    // Four seconds of buffer ride out a busy machine; pause and stop flush
    // them, so they still take effect at once. Refilled a second and a half
    // at a time: each refill wakes the server, libpulse and the drive's
    // thread, and those wake-ups were most of the cost of playing.
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(4 * sampleRate * 4);
    // Sound starts once a second of it is there, not the whole buffer: a
    // drive reads at a few times the speed of playing.
    attr.prebuf = std::uint32_t(sampleRate * 4);
    attr.minreq = std::uint32_t(sampleRate * 3 / 2 * 4);
    attr.fragsize = std::uint32_t(-1);
    std::lock_guard lock(m_mutex);
    QString error;
    std::unique_ptr<AudioStream> s;
    if (auto c = connection(error))
        s = PulseStream::open(std::move(c), attr, error);
    if (!s) {
        if (!m_reportedFailure)
            qCWarning(lcAudio).noquote()
                << QStringLiteral("No sound server (%1): the CD plays silently").arg(error);
        m_reportedFailure = true;
        return makeSilentStream(m_clock);
    }
    m_reportedFailure = false;
    return s;
}

} // namespace vornap::platform::audio
