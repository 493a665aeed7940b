#pragma once

#include "platform/drives.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Writes CD images (one BIN of raw 2352-byte sectors and its CUE sheet) from
// a description: tests, the disc generator tool and the build's demo disc
// all make their discs here.
namespace vornap::platform::discimage {

inline constexpr int framesPerSecond = 75;
inline constexpr int sectorBytes = 2352;
inline constexpr int leadInFrames = 150;

// Frames in a number of seconds, rounded to the nearest frame.
constexpr int seconds(double s) {
    return int(s * framesPerSecond + 0.5);
}

// Fills `samples` interleaved stereo pairs starting at sample `first` of the track.
using Sound = std::function<void(std::int64_t first, std::int16_t* interleaved, int samples)>;

Sound sine(double hz, double amplitude = 0.5);
// Left and right at their own frequencies.
Sound stereoSine(double leftHz, double rightHz, double amplitude = 0.5);

struct DataFile {
    std::string name; // ISO 9660 level 1, e.g. "README.TXT"
    std::string contents;
};

struct TrackSpec {
    int frames = 0;              // from INDEX 01 up to the next track's pregap or the end
    int pregapFrames = 0;        // silence before INDEX 01, stored in the image as INDEX 00
    bool data = false;           // MODE1/2352 with an ISO 9660 file system
    bool preEmphasis = false;    // flagged as mastered with pre-emphasis (the sound is as given)
    Sound sound;                 // audio; empty means digital silence
    std::string title{};         // CD-TEXT of the cue sheet (UTF-8); empty: none
    std::vector<DataFile> files; // data tracks

    static TrackSpec audio(int frames, Sound sound = {}, int pregapFrames = 0) {
        TrackSpec t;
        t.frames = frames;
        t.sound = std::move(sound);
        t.pregapFrames = pregapFrames;
        return t;
    }
    static TrackSpec dataTrack(int frames, std::vector<DataFile> files = {}) {
        TrackSpec t;
        t.frames = frames;
        t.data = true;
        t.files = std::move(files);
        return t;
    }
};

struct DiscSpec {
    std::vector<TrackSpec> tracks;
    std::string performer{}; // the cue sheet's disc-level CD-TEXT (UTF-8); empty: none
    std::string title{};
};

// The table of contents a disc written from `spec` has (frames including the
// 150-frame offset).
DiscToc expectedToc(const DiscSpec& spec);

// Writes `<cuePath minus .cue>.bin` and the cue sheet. On failure returns
// false with a reason in `error`.
bool writeBinCue(const DiscSpec& spec, const QString& cuePath, QString* error = nullptr);

// A data track's raw sectors for sector addresses starting at `firstLba`:
// sync, header, user data, EDC and ECC, as a drive reads them.
void makeMode1Sector(std::uint8_t* sector2352, int lba, const std::uint8_t* user2048);

// The ISO 9660 file system of a data track `frames` sectors long placed at
// `firstLsn`, holding `files` in its root; 2048 bytes per sector.
std::vector<std::uint8_t> makeIso9660(int frames, int firstLsn, const std::vector<DataFile>& files,
                                      const std::string& volumeId = "VORNAP_DATA");

} // namespace vornap::platform::discimage
