#pragma once

#include "fuzzsupport.h"
#include "platform/discimage/discimage.h"
#include "platform/mci/mcidevice.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace vornap::fuzz {

// A short disc written once per process: audio with a pregap, a data track
// holding a file, and audio again.
inline const QTemporaryDir& discDirectory() {
    static QTemporaryDir dir(scratchTemplate());
    static const bool written = [] {
        namespace di = platform::discimage;
        di::DiscSpec spec{{di::TrackSpec::audio(150, di::sine(440), 75),
                           di::TrackSpec::dataTrack(40, {{"README.TXT", "hello"}}),
                           di::TrackSpec::audio(120, di::sine(880))}};
        QDir(dir.path()).mkpath(QStringLiteral("tray"));
        QDir(dir.path()).mkpath(QStringLiteral("empty"));
        return dir.isValid() &&
               di::writeBinCue(spec, dir.filePath(QStringLiteral("tray/disc.cue")));
    }();
    if (!written)
        std::abort();
    return dir;
}

// Sends one command with an answer buffer of exactly `length` bytes, so a
// write past it is caught; the answer must be a terminated string within it.
inline std::uint32_t send(platform::Mci& mci, const std::string& command, std::uint32_t length) {
    std::vector<char> answer(length);
    const std::uint32_t code = mci.sendString(command, length ? answer.data() : nullptr, length);
    if (length > 0 && std::find(answer.begin(), answer.end(), '\0') == answer.end())
        std::abort();
    return code;
}

} // namespace vornap::fuzz
