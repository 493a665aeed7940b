#pragma once

#include "app/application.h"
#include "app/vbtypes.h"

#include <string>

// Every command text the player sends to the CD device is spelled here and
// nowhere else.
namespace vornap::mcicmd {

inline std::string ascii(const QString& s) { return s.toLatin1().toStdString(); }
inline std::string num(long long n) { return std::to_string(n); }

inline std::string closeAll() { return "close all"; }
inline std::string close(const std::string& alias) { return "close " + alias; }
inline std::string open(const QString& drive, const std::string& alias) {
    return "open " + ascii(drive) + " type cdaudio alias " + alias + " wait shareable";
}
inline std::string statusMediaPresent(const std::string& alias) {
    return "status " + alias + " media present";
}
inline std::string statusMediaPresentWait(const std::string& alias) {
    return "status " + alias + " media present wait";
}
inline std::string setTimeFormatTmsf() { return "set cd1 time format tmsf"; }
inline std::string setTimeFormatMilliseconds() { return "set cd1 time format milliseconds"; }
inline std::string statusNumberOfTracksWait() { return "status cd1 number of tracks wait"; }
inline std::string statusLengthTrack(long long n) { return "status cd1 length track " + num(n); }
inline std::string statusLength() { return "status cd1 length"; }
inline std::string statusPosition() { return "status cd1 position"; }
inline std::string statusMode() { return "status cd1 mode"; }
inline std::string statusPositionTrack(long long n) {
    return "status cd1 position track " + num(n);
}
inline std::string playFrom(long long n) { return "play cd1 from " + num(n); }
inline std::string stopWait() { return "stop cd1 wait"; }
inline std::string pause() { return "pause cd1"; }
inline std::string resume() { return "resume cd1"; }
inline std::string seekTo1() { return "seek cd1 to 1"; }

inline const std::string cd1 = "cd1";
inline const std::string CDINFO = "CDINFO";
inline const std::string CDCheck = "CDCheck";
inline const std::string cd3 = "cd3";

} // namespace vornap::mcicmd

namespace vornap {

// mciSendStringA without an answer buffer; the result code is returned for
// the one caller that looks at it.
inline std::uint32_t mciSend(Application& app, const std::string& command) {
    return app.platform.mci->sendString(command, nullptr, 0);
}

// mciSendStringA into a 30-character answer field.
template <std::size_t N>
std::uint32_t mciSend(Application& app, const std::string& command, FixedString<N>& answer) {
    return app.platform.mci->sendString(command, answer.data(), answer.length());
}

} // namespace vornap
