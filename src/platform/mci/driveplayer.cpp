#include "platform/mci/driveplayer.h"

#include "platform/audio/deemphasis.h"

#include <QLoggingCategory>
#include <algorithm>
#include <atomic>
#include <cstring>

Q_DECLARE_LOGGING_CATEGORY(lcMci)

namespace vornap::platform {

using audio::samplesPerSector;

namespace {

// De-emphasis for the frames of one play that lie on tracks mastered with
// pre-emphasis; every other sample goes out as read.
class EmphasisStage {
public:
    // [begin, end) absolute frames of the flagged tracks, in order.
    std::vector<std::pair<int, int>> ranges;

    void apply(int first, int frames, std::int16_t* samples) {
        const int end = first + frames;
        for (int f = first; f < end;) {
            const auto r = std::find_if(ranges.begin(), ranges.end(),
                                        [&](const auto& range) { return range.second > f; });
            const bool flagged = r != ranges.end() && r->first <= f;
            const int until = std::min(end, r == ranges.end() ? end
                                            : flagged         ? r->second
                                                              : r->first);
            std::int16_t* at = samples + std::size_t(f - first) * samplesPerSector * 2;
            const std::int64_t count = std::int64_t(until - f) * samplesPerSector;
            if (flagged) {
                if (!m_filtering)
                    m_filter.settleAt(m_last);
                m_filter.process(at, count);
            } else {
                std::memcpy(m_last, at + (count - 1) * 2, sizeof m_last);
            }
            m_filtering = flagged;
            f = until;
        }
    }
    // Sound skipped: what comes next follows silence.
    void restart() {
        m_filtering = false;
        m_last[0] = m_last[1] = 0;
    }

private:
    audio::Deemphasis m_filter;
    bool m_filtering = false;
    std::int16_t m_last[2] = {0, 0}; // the last frame that went out unfiltered
};

} // namespace

struct DrivePlayer::Session {
    std::shared_ptr<const Disc> disc;
    std::vector<std::pair<int, int>> spans; // [begin, end) absolute frames
    EmphasisStage emphasis;
    int endPosition = 0;
    bool paranoia = false;

    std::mutex streamMutex;
    std::unique_ptr<audio::AudioStream> stream;

    std::mutex doneMutex;
    std::condition_variable doneCv;
    bool done = false;
    std::atomic<bool> finished{false};
    std::atomic<bool> failed{false};
    std::jthread thread;

    int firstFrame() const { return spans.empty() ? endPosition : spans.front().first; }

    int position() {
        std::int64_t played;
        {
            std::lock_guard lock(streamMutex);
            played = stream->played();
        }
        std::int64_t frames = played / samplesPerSector;
        for (const auto& [begin, end] : spans) {
            if (frames < end - begin)
                return begin + int(frames);
            frames -= end - begin;
        }
        return endPosition;
    }
};

DrivePlayer::DrivePlayer(Drive& drive, Clock& clock, audio::AudioOutput& output)
    : m_drive(drive), m_clock(clock), m_output(output) {
}

DrivePlayer::~DrivePlayer() {
    std::lock_guard lock(m_mutex);
    endSession(false);
}

std::shared_ptr<const Disc> DrivePlayer::refresh() {
    std::shared_ptr<const Disc> disc = m_drive.disc();
    std::lock_guard lock(m_mutex);
    // An image replaced or cut in place changes the disc without the empty
    // tray a real drive goes through. The drive reports no disc for a moment,
    // as one spinning up a new disc does, so whoever polls it sees the old
    // disc leave before the new one arrives.
    if (disc && m_disc && disc != m_disc) {
        m_settleUntil = m_clock.now() + kSettleTime;
        disc.reset();
    } else if (disc && m_clock.now() < m_settleUntil) {
        disc.reset();
    }
    if (disc != m_disc) {
        if (m_session)
            qCInfo(lcMci) << m_drive.root().c_str() << "disc removed while playing";
        endSession(false);
        m_disc = disc;
        m_mode = disc ? Mode::Stopped : Mode::NotReady;
        m_position = disc ? disc->trackStart(disc->toc.firstTrack) : 0;
    }
    finishIfDone();
    return disc;
}

DrivePlayer::Mode DrivePlayer::mode() {
    std::lock_guard lock(m_mutex);
    finishIfDone();
    return m_mode;
}

int DrivePlayer::position() {
    std::lock_guard lock(m_mutex);
    finishIfDone();
    if (m_mode == Mode::Playing && m_session)
        return m_session->position();
    return m_position;
}

void DrivePlayer::finishIfDone() {
    if (!m_session)
        return;
    {
        std::lock_guard lock(m_session->doneMutex);
        if (!m_session->done)
            return;
    }
    m_position = m_session->finished ? m_session->endPosition : m_session->position();
    if (m_session->failed)
        qCInfo(lcMci) << m_drive.root().c_str() << "playback stopped: the disc cannot be read";
    m_mode = Mode::Stopped;
    m_session->thread.join();
    m_session.reset();
}

void DrivePlayer::endSession(bool keepPosition) {
    if (!m_session)
        return;
    if (keepPosition)
        m_position = m_session->position();
    m_session->thread.request_stop();
    m_session->thread.join();
    {
        std::lock_guard lock(m_session->streamMutex);
        m_session->stream->discard();
    }
    m_session.reset();
}

void DrivePlayer::play(int from, int to) {
    std::lock_guard lock(m_mutex);
    endSession(false);
    if (!m_disc)
        return;
    const DiscToc& toc = m_disc->toc;
    auto s = std::make_shared<Session>();
    s->disc = m_disc;
    s->paranoia = m_paranoia || m_disc->device;
    for (int t = toc.firstTrack; t <= toc.lastTrack; ++t) {
        if (m_disc->isData(t))
            continue;
        const int begin = std::max(from, m_disc->trackStart(t));
        const int end = std::min(to, t < toc.lastTrack ? m_disc->trackStart(t + 1) : toc.leadOut);
        if (begin < end) {
            if (!s->spans.empty() && s->spans.back().second == begin)
                s->spans.back().second = end;
            else
                s->spans.emplace_back(begin, end);
        }
    }
    for (int t = toc.firstTrack; t <= toc.lastTrack; ++t) {
        if (!m_disc->isPreEmphasized(t))
            continue;
        const int begin = m_disc->trackStart(t);
        const int end = t < toc.lastTrack ? m_disc->trackStart(t + 1) : toc.leadOut;
        auto& ranges = s->emphasis.ranges;
        if (!ranges.empty() && ranges.back().second == begin)
            ranges.back().second = end;
        else
            ranges.emplace_back(begin, end);
    }
    // Data tracks are skipped forward, also when no audio follows them: a play
    // ends where it was asked to, at most on the last frame before the lead-out.
    s->endPosition = std::min(to, toc.leadOut - 1);
    s->stream = m_output.open();
    m_resumeTo = to;
    m_position = s->firstFrame();
    m_mode = Mode::Playing;
    m_session = s;
    s->thread = std::jthread(run, s.get(), &m_drive, &m_clock);
}

void DrivePlayer::stop() {
    std::lock_guard lock(m_mutex);
    finishIfDone();
    if (m_mode == Mode::Playing)
        endSession(true);
    if (m_mode != Mode::NotReady)
        m_mode = Mode::Stopped;
}

bool DrivePlayer::pause() {
    std::lock_guard lock(m_mutex);
    finishIfDone();
    if (m_mode != Mode::Playing)
        return false;
    endSession(true);
    m_mode = Mode::Paused;
    return true;
}

bool DrivePlayer::resume() {
    int from, to;
    {
        std::lock_guard lock(m_mutex);
        finishIfDone();
        if (m_mode != Mode::Paused)
            return false;
        from = m_position;
        to = m_resumeTo;
    }
    play(from, to);
    return true;
}

void DrivePlayer::seek(int frame) {
    std::lock_guard lock(m_mutex);
    endSession(false);
    m_position = frame;
    if (m_mode != Mode::NotReady)
        m_mode = Mode::Stopped;
}

void DrivePlayer::waitForEnd() {
    std::shared_ptr<Session> s;
    {
        std::lock_guard lock(m_mutex);
        s = m_session;
    }
    if (!s)
        return;
    std::unique_lock lock(s->doneMutex);
    s->doneCv.wait(lock, [&] { return s->done; });
}

void DrivePlayer::run(std::stop_token stop, Session* s, Drive* drive, Clock* clock) {
    struct Done {
        Session* s;
        ~Done() {
            {
                std::lock_guard lock(s->doneMutex);
                s->done = true;
            }
            s->doneCv.notify_all();
        }
    } done{s};

    const std::unique_ptr<SectorReader> reader = drive->openReader(*s->disc, s->paranoia);
    if (!reader) {
        s->failed = true;
        return;
    }
    constexpr int chunk = 8; // about a tenth of a second
    std::vector<std::int16_t> buffer(size_t(chunk) * samplesPerSector * 2);
    audio::AudioStream* stream = s->stream.get();
    int sinceProbe = 0;
    for (const auto& [begin, end] : s->spans) {
        for (int f = begin; f < end;) {
            if (stop.stop_requested())
                return;
            // A silent output already past what was written wants no old sound.
            const std::int64_t behind =
                (stream->neededFrom() - stream->written()) / samplesPerSector;
            if (behind > 0) {
                const int skip = int(std::min<std::int64_t>(behind, end - f));
                stream->skip(std::int64_t(skip) * samplesPerSector);
                s->emphasis.restart();
                f += skip;
                sinceProbe += skip;
                continue;
            }
            if (sinceProbe >= 75) {
                sinceProbe = 0;
                if (drive->probe() != s->disc->id) {
                    s->failed = true;
                    return;
                }
            }
            const int n = std::min(chunk, end - f);
            if (!reader->read(f - 150, n, buffer.data())) {
                s->failed = true;
                return;
            }
            if (!s->emphasis.ranges.empty())
                s->emphasis.apply(f, n, buffer.data());
            if (!stream->write(buffer.data(), std::int64_t(n) * samplesPerSector, stop)) {
                // The sound server went away: go on silently from what was heard.
                auto silent = audio::makeSilentStream(*clock, stream->played());
                std::unique_ptr<audio::AudioStream> old;
                {
                    std::lock_guard lock(s->streamMutex);
                    old = std::move(s->stream);
                    s->stream = std::move(silent);
                    stream = s->stream.get();
                }
            }
            f += n;
            sinceProbe += n;
        }
    }
    if (!stream->drain(stop) && stop.stop_requested())
        return;
    s->finished = true;
}

} // namespace vornap::platform
