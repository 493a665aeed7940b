#pragma once

#include "platform/mci/clock.h"

#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

class QString;

namespace vornap::platform::audio {

// CD audio: 44.1 kHz, 16-bit, two channels; a "sample" below is one stereo pair.
inline constexpr int sampleRate = 44100;
inline constexpr int samplesPerSector = 588; // 44100 / 75

// One continuous run of sound from a playing drive.
class AudioStream {
public:
    virtual ~AudioStream() = default;
    // Interleaved stereo samples; blocks as a sound card would. False when the
    // stream broke (the audio server went away).
    virtual bool write(const std::int16_t* interleaved, std::int64_t samples,
                       std::stop_token stop) = 0;
    // Stereo samples heard so far, after the output's own latency.
    virtual std::int64_t played() const = 0;
    virtual std::int64_t written() const = 0;
    // The first sample the stream still wants. An output that plays nothing
    // may already be past what was written; the writer then skips ahead.
    virtual std::int64_t neededFrom() const { return written(); }
    virtual void skip(std::int64_t samples) = 0;
    // Waits until everything written has been heard; false when stopped first.
    virtual bool drain(std::stop_token stop) = 0;
    // Drops whatever was written but not heard yet.
    virtual void discard() {}
    // Times the output ran out of sound while it was being fed.
    virtual int underruns() const { return 0; }
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Never null: an output that cannot reach its sound server gives a silent stream.
    virtual std::unique_ptr<AudioStream> open() = 0;
};

// Plays nothing at the pace of the clock, so positions advance as if heard.
// It starts counting at `startAt` samples.
std::unique_ptr<AudioStream> makeSilentStream(Clock& clock, std::int64_t startAt = 0);

class NullAudioOutput final : public AudioOutput {
public:
    explicit NullAudioOutput(Clock& clock) : m_clock(clock) {}
    std::unique_ptr<AudioStream> open() override { return makeSilentStream(m_clock); }

private:
    Clock& m_clock;
};

// Keeps every sample written, consumed at once (no pacing): the samples a
// drive produced can be compared with the disc.
class CaptureAudioOutput final : public AudioOutput {
public:
    std::unique_ptr<AudioStream> open() override;
    std::vector<std::int16_t> samples() const {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }
    int streamsOpened() const {
        std::lock_guard lock(m_mutex);
        return m_streams;
    }

private:
    friend class CaptureStream;
    mutable std::mutex m_mutex;
    std::vector<std::int16_t> m_samples;
    int m_streams = 0;
};

class PulseConnection;

// PulseAudio (also served by PipeWire). When no server answers, streams are
// silent ones on `clock`. Its streams share one connection to the server,
// made again when the server went away.
class PulseAudioOutput final : public AudioOutput {
public:
    explicit PulseAudioOutput(Clock& clock);
    ~PulseAudioOutput() override;
    // Connects in the background, so that the first stream finds the server
    // ready instead of waiting for it.
    void connectAhead();
    std::unique_ptr<AudioStream> open() override;

private:
    std::shared_ptr<PulseConnection> connection(QString& error);

    Clock& m_clock;
    std::mutex m_mutex;
    std::shared_ptr<PulseConnection> m_connection;
    std::future<std::shared_ptr<PulseConnection>> m_ahead;
    bool m_reportedFailure = false;
};

} // namespace vornap::platform::audio
