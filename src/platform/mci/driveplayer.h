#pragma once

#include "platform/audio/audiooutput.h"
#include "platform/drives/drivetable.h"
#include "platform/mci/clock.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vornap::platform {

// What a drive does with its disc: play, pause and position belong to the
// drive, not to any alias, so closing every alias leaves it playing.
class DrivePlayer {
public:
    enum class Mode { NotReady, Stopped, Playing, Paused };

    DrivePlayer(Drive& drive, Clock& clock, audio::AudioOutput& output);
    ~DrivePlayer();
    DrivePlayer(const DrivePlayer&) = delete;
    DrivePlayer& operator=(const DrivePlayer&) = delete;

    // Follows the drive: a new or missing disc stops playback and resets the
    // position to the start of the disc. Returns the disc now in the drive.
    std::shared_ptr<const Disc> refresh();

    Mode mode();
    // Absolute frame (150 = start of a normal first track).
    int position();

    // Plays frames [from, to) skipping data tracks; returns at once. The end
    // position is `to` (the end of the disc), whatever track it lies on.
    void play(int from, int to);
    void stop();
    // False when the drive was not playing.
    bool pause();
    // False when the drive was not paused.
    bool resume();
    void seek(int frame);
    // Blocks until the current play ends or is stopped.
    void waitForEnd();

    // Real drives read through paranoia; an image can be made to as well.
    void setUseParanoia(bool on) { m_paranoia = on; }

private:
    struct Session;
    void endSession(bool keepPosition);
    void finishIfDone();
    static void run(std::stop_token stop, Session* s, Drive* drive, Clock* clock);

    Drive& m_drive;
    Clock& m_clock;
    audio::AudioOutput& m_output;
    std::mutex m_mutex;
    std::shared_ptr<const Disc> m_disc;
    Mode m_mode = Mode::NotReady;
    int m_position = 0;
    int m_resumeTo = 0;
    bool m_paranoia = false;
    std::shared_ptr<Session> m_session;
    static constexpr Clock::duration kSettleTime = std::chrono::seconds(1);
    Clock::duration m_settleUntil{};
};

} // namespace vornap::platform
