#include "platform/mci/mcidevice.h"

#include "platform/platform.h"

#include <QLoggingCategory>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

// Every command, answer and result code; QT_LOGGING_RULES="vornap.mci.debug=true" shows them.
Q_LOGGING_CATEGORY(lcMci, "vornap.mci", QtInfoMsg)

namespace vornap::platform {

namespace {

using mcierr::badInteger;
using mcierr::cannotUseAll;
using mcierr::missingCommandString;
using mcierr::missingStringArgument;
using mcierr::paramOverflow;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The words of a command, lower-cased (aliases, keywords and drive names
// are all read without regard to case). A quoted word may hold blanks.
void tokenize(std::string_view text, std::vector<std::string_view>& words) {
    words.clear();
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            break;
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            words.push_back(text.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? text.size() : close + 1;
        } else {
            const size_t begin = i;
            while (i < text.size() && !isBlank(text[i]))
                ++i;
            words.push_back(text.substr(begin, i - begin));
        }
    }
}

std::string twoDigits(std::initializer_list<int> fields) {
    std::string out;
    for (int v : fields) {
        char part[16];
        std::snprintf(part, sizeof part, "%02d", v);
        if (!out.empty())
            out += ':';
        out += part;
    }
    return out;
}

std::string msf(int frames) {
    return twoDigits({frames / 4500, frames / 75 % 60, frames % 75});
}
std::string milliseconds(int frames) {
    return std::to_string(std::int64_t(frames) * 1000 / 75 + 1);
}

std::optional<int> number(std::string_view s) {
    if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), ::isdigit))
        return std::nullopt;
    int n = 0;
    std::from_chars(s.data(), s.data() + s.size(), n);
    return n;
}

// "a:b:c" into at most `max` numbers.
std::optional<std::vector<int>> fields(std::string_view s, size_t max) {
    std::vector<int> out;
    size_t start = 0;
    while (true) {
        const size_t colon = s.find(':', start);
        const auto n =
            number(s.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (!n)
            return std::nullopt;
        out.push_back(*n);
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (out.size() > max)
        return std::nullopt;
    return out;
}

// Flags every command takes; without a callback window "notify" does nothing.
bool isFlag(std::string_view w) {
    return w == "wait" || w == "notify";
}

} // namespace

MciDevice::MciDevice(std::shared_ptr<DriveTable> table, std::shared_ptr<Clock> clock,
                     std::shared_ptr<audio::AudioOutput> output)
    : m_table(std::move(table)), m_clock(std::move(clock)), m_output(std::move(output)) {
}

MciDevice::~MciDevice() = default;

DrivePlayer& MciDevice::player(Drive& drive) {
    auto& p = m_players[&drive];
    if (!p) {
        p = std::make_unique<DrivePlayer>(drive, *m_clock, *m_output);
        p->setUseParanoia(m_paranoiaForImages);
    }
    return *p;
}

std::uint32_t MciDevice::sendString(std::string_view command, char* answer,
                                    std::uint32_t answerLength) {
    // The answer buffer is emptied first, so a failed query never leaves an
    // earlier answer behind.
    if (answer && answerLength > 0)
        std::memset(answer, 0, answerLength);
    Reply reply;
    {
        std::lock_guard lock(m_mutex);
        // The watcher sends a dozen commands a second: they are read in
        // buffers kept from one command to the next.
        m_text.assign(command);
        for (char& c : m_text)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        tokenize(m_text, m_words);
        reply = execute(m_words);
    }
    if (reply.code == mcierr::ok && answer && answerLength > 0) {
        if (reply.answer.size() + 1 > answerLength)
            reply.code = paramOverflow;
        else
            std::memcpy(answer, reply.answer.c_str(), reply.answer.size() + 1);
    }
    qCDebug(lcMci).noquote() << QString::fromLatin1(command.data(), qsizetype(command.size()))
                             << "->" << reply.code
                             << QStringLiteral("\"%1\"").arg(QString::fromStdString(reply.answer));
    return reply.code;
}

MciDevice::Reply MciDevice::execute(Words words) {
    if (words.empty())
        return {missingCommandString, {}};
    const std::string_view verb = words[0];
    if (verb == "open")
        return open(words);
    if (words.size() < 2)
        return {mcierr::invalidDeviceName, {}};
    const std::string_view alias = words[1];
    const Words rest = words.subspan(2);
    for (const std::string_view w : rest)
        if (!isFlag(w) && verb == "close")
            return {mcierr::unrecognizedKeyword, {}};

    if (verb == "close") {
        if (alias == "all") {
            m_open.clear();
            return {};
        }
        const auto it = m_open.find(alias);
        if (it == m_open.end())
            return {mcierr::invalidDeviceName, {}};
        m_open.erase(it);
        return {};
    }
    static constexpr std::string_view verbs[]{"status", "set",   "play",  "seek",
                                              "stop",   "pause", "resume"};
    if (std::find(std::begin(verbs), std::end(verbs), verb) == std::end(verbs))
        return {mcierr::unrecognizedCommand, {}};
    if (alias == "all")
        return {cannotUseAll, {}};
    const auto it = m_open.find(alias);
    if (it == m_open.end())
        return {mcierr::invalidDeviceName, {}};
    Instance& in = it->second;

    if (verb == "status")
        return status(in, rest);
    if (verb == "set")
        return set(in, rest);
    if (verb == "play")
        return play(in, rest);
    if (verb == "seek")
        return seek(in, rest);
    for (const std::string_view w : rest)
        if (!isFlag(w))
            return {mcierr::unrecognizedKeyword, {}};
    DrivePlayer& p = player(*in.drive);
    if (!p.refresh())
        return {mcierr::deviceNotReady, {}};
    if (verb == "stop") {
        p.stop();
        return {};
    }
    if (verb == "pause")
        return p.pause() ? Reply{} : Reply{mcierr::hardware, {}};
    return p.resume() ? Reply{} : Reply{mcierr::hardware, {}};
}

MciDevice::Reply MciDevice::open(Words words) {
    std::string_view element, alias, type;
    bool shareable = false;
    size_t i = 1;
    if (i < words.size()) {
        const std::string_view w = words[i];
        if (w != "type" && w != "alias" && !isFlag(w) && w != "shareable")
            element = words[i++];
    }
    for (; i < words.size(); ++i) {
        const std::string_view w = words[i];
        if (w == "type" || w == "alias") {
            if (i + 1 >= words.size())
                return {missingStringArgument, {}};
            (w == "type" ? type : alias) = words[++i];
        } else if (w == "shareable") {
            shareable = true;
        } else if (!isFlag(w)) {
            return {mcierr::unrecognizedKeyword, {}};
        }
    }
    // "open cdaudio" opens the first CD drive.
    Drive* drive = nullptr;
    if (type.empty() && element == "cdaudio") {
        const auto all = m_table->drives();
        drive = all.empty() ? nullptr : all.front();
        type = "cdaudio";
    } else {
        // Only the element's first letter counts: "D:\", "d:" and "D" are the same drive.
        const bool driveLike = !element.empty() &&
                               std::isalpha(static_cast<unsigned char>(element[0])) &&
                               (element.size() == 1 || element[1] == ':');
        if (driveLike)
            drive = m_table->find(element);
    }
    if (!type.empty() && type != "cdaudio")
        return {mcierr::invalidFile, {}};
    if (!drive)
        return {mcierr::invalidFile, {}};
    if (alias.empty())
        alias = element;
    const std::string_view key = alias;
    if (m_open.find(key) != m_open.end())
        return {mcierr::duplicateAlias, {}};
    for (const auto& [name, other] : m_open)
        if (other.drive == drive && (!other.shareable || !shareable))
            return {mcierr::mustUseShareable, {}};
    int id = 1;
    for (bool taken = true; taken; ++id) {
        taken = std::any_of(m_open.begin(), m_open.end(),
                            [&](const auto& e) { return e.second.id == id; });
        if (!taken)
            break;
    }
    Instance in;
    in.drive = drive;
    in.id = id;
    in.shareable = shareable;
    m_open.emplace(std::string(key), in);
    player(*drive).refresh();
    return {mcierr::ok, std::to_string(id)};
}

std::string MciDevice::formatLength(const Instance& in, int frames) const {
    return in.format == TimeFormat::Milliseconds ? milliseconds(frames) : msf(frames);
}

std::string MciDevice::formatPosition(const Instance& in, const Disc& disc, int frame) const {
    switch (in.format) {
    case TimeFormat::Milliseconds:
        return milliseconds(frame);
    case TimeFormat::Msf:
        return msf(frame);
    case TimeFormat::Tmsf:
        break;
    }
    int track = disc.toc.firstTrack;
    for (int t = disc.toc.firstTrack; t <= disc.toc.lastTrack; ++t)
        if (disc.trackStart(t) <= frame)
            track = t;
    const int rel = std::max(0, frame - disc.trackStart(track));
    return twoDigits({track, rel / 4500, rel / 75 % 60, rel % 75});
}

std::optional<int> MciDevice::parsePosition(const Instance& in, const Disc& disc,
                                            std::string_view text, std::uint32_t* code) const {
    *code = badInteger;
    std::optional<int> frame;
    switch (in.format) {
    case TimeFormat::Milliseconds:
        if (const auto ms = number(text))
            frame = int(std::int64_t(*ms) * 75 / 1000);
        break;
    case TimeFormat::Msf:
        if (const auto f = fields(text, 3)) {
            const std::vector<int>& v = *f;
            frame = v[0] * 4500 + (v.size() > 1 ? v[1] * 75 : 0) + (v.size() > 2 ? v[2] : 0);
        }
        break;
    case TimeFormat::Tmsf:
        if (const auto f = fields(text, 4)) {
            const std::vector<int>& v = *f;
            if (v[0] < disc.toc.firstTrack || v[0] > disc.toc.lastTrack) {
                *code = mcierr::outOfRange;
                return std::nullopt;
            }
            frame = disc.trackStart(v[0]) + (v.size() > 1 ? v[1] * 4500 : 0) +
                    (v.size() > 2 ? v[2] * 75 : 0) + (v.size() > 3 ? v[3] : 0);
        }
        break;
    }
    if (!frame)
        return std::nullopt;
    if (*frame < disc.trackStart(disc.toc.firstTrack) || *frame > disc.toc.leadOut) {
        *code = mcierr::outOfRange;
        return std::nullopt;
    }
    *code = mcierr::ok;
    return frame;
}

const std::vector<std::string_view>& MciDevice::keywords(Words words) {
    m_args.clear();
    for (const std::string_view word : words)
        if (!isFlag(word))
            m_args.push_back(word);
    return m_args;
}

MciDevice::Reply MciDevice::status(Instance& in, Words words) {
    const std::vector<std::string_view>& w = keywords(words);
    if (w.empty())
        return {mcierr::missingParameter, {}};
    DrivePlayer& p = player(*in.drive);
    const auto disc = p.refresh();
    auto is = [&](std::initializer_list<const char*> item) {
        if (w.size() < item.size())
            return false;
        size_t k = 0;
        for (const char* part : item)
            if (w[k++] != part)
                return false;
        return true;
    };
    auto trackArg = [&](size_t at, int* track) -> std::uint32_t {
        if (w.size() != at + 1)
            return w.size() <= at ? mcierr::missingParameter : mcierr::unrecognizedKeyword;
        const auto n = number(w[at]);
        if (!n)
            return badInteger;
        if (*n < disc->toc.firstTrack || *n > disc->toc.lastTrack)
            return mcierr::outOfRange;
        *track = *n;
        return mcierr::ok;
    };

    if (is({"media", "present"}) && w.size() == 2)
        return {mcierr::ok, disc ? "true" : "false"};
    if (is({"ready"}) && w.size() == 1)
        return {mcierr::ok, disc ? "true" : "false"};
    if (is({"time", "format"}) && w.size() == 2)
        return {mcierr::ok, in.format == TimeFormat::Msf    ? "msf"
                            : in.format == TimeFormat::Tmsf ? "tmsf"
                                                            : "milliseconds"};
    if (is({"mode"}) && w.size() == 1) {
        switch (p.mode()) {
        case DrivePlayer::Mode::NotReady:
            return {mcierr::ok, "not ready"};
        case DrivePlayer::Mode::Playing:
            return {mcierr::ok, "playing"};
        case DrivePlayer::Mode::Stopped:
        case DrivePlayer::Mode::Paused: // a paused drive reports "stopped" as the native device
                                        // does
            return {mcierr::ok, "stopped"};
        }
    }
    static const std::vector<std::string> known{"number",  "length", "position",
                                                "current", "type",   "start"};
    if (std::find(known.begin(), known.end(), w[0]) == known.end())
        return {mcierr::unrecognizedKeyword, {}};
    if (!disc)
        return {mcierr::deviceNotReady, {}};

    const DiscToc& toc = disc->toc;
    if (is({"number", "of", "tracks"}) && w.size() == 3)
        return {mcierr::ok, std::to_string(disc->trackCount())};
    if (is({"length"})) {
        if (w.size() == 1)
            return {mcierr::ok,
                    formatLength(in, toc.leadOut - disc->trackStart(toc.firstTrack) - 1)};
        if (w[1] != "track")
            return {mcierr::unrecognizedKeyword, {}};
        int t = 0;
        if (const auto code = trackArg(2, &t))
            return {code, {}};
        const int next = t < toc.lastTrack ? disc->trackStart(t + 1) : toc.leadOut - 1;
        return {mcierr::ok, formatLength(in, next - disc->trackStart(t))};
    }
    if (is({"position"})) {
        if (w.size() == 1)
            return {mcierr::ok, formatPosition(in, *disc, p.position())};
        if (w[1] != "track")
            return {mcierr::unrecognizedKeyword, {}};
        int t = 0;
        if (const auto code = trackArg(2, &t))
            return {code, {}};
        return {mcierr::ok, formatPosition(in, *disc, disc->trackStart(t))};
    }
    if (is({"start", "position"}) && w.size() == 2)
        return {mcierr::ok, formatPosition(in, *disc, disc->trackStart(toc.firstTrack))};
    if (is({"current", "track"}) && w.size() == 2) {
        const int pos = p.position();
        int track = toc.firstTrack;
        for (int t = toc.firstTrack; t <= toc.lastTrack; ++t)
            if (disc->trackStart(t) <= pos)
                track = t;
        return {mcierr::ok, std::to_string(track)};
    }
    if (is({"type", "track"})) {
        int t = 0;
        if (const auto code = trackArg(2, &t))
            return {code, {}};
        return {mcierr::ok, disc->isData(t) ? "other" : "audio"};
    }
    return {mcierr::unrecognizedKeyword, {}};
}

MciDevice::Reply MciDevice::set(Instance& in, Words words) {
    const std::vector<std::string_view>& w = keywords(words);
    if (w.empty())
        return {mcierr::missingParameter, {}};
    if (w.size() == 3 && w[0] == "time" && w[1] == "format") {
        if (w[2] == "tmsf")
            in.format = TimeFormat::Tmsf;
        else if (w[2] == "msf")
            in.format = TimeFormat::Msf;
        else if (w[2] == "milliseconds" || w[2] == "ms")
            in.format = TimeFormat::Milliseconds;
        else
            return {mcierr::badTimeFormat, {}};
        return {};
    }
    if (w.size() == 2 && w[0] == "door")
        return {mcierr::unsupportedFunction, {}};
    return {mcierr::unrecognizedKeyword, {}};
}

MciDevice::Reply MciDevice::play(Instance& in, Words words) {
    std::string_view from, to;
    bool wait = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view w = words[i];
        if (w == "from" || w == "to") {
            if (i + 1 >= words.size())
                return {mcierr::missingParameter, {}};
            (w == "from" ? from : to) = words[++i];
        } else if (w == "wait") {
            wait = true;
        } else if (w != "notify") {
            return {mcierr::unrecognizedKeyword, {}};
        }
    }
    DrivePlayer& p = player(*in.drive);
    const auto disc = p.refresh();
    if (!disc)
        return {mcierr::deviceNotReady, {}};
    std::uint32_t code = 0;
    int start = p.position();
    if (!from.empty()) {
        const auto f = parsePosition(in, *disc, from, &code);
        if (!f)
            return {code, {}};
        start = *f;
    }
    int end = disc->toc.leadOut;
    if (!to.empty()) {
        const auto t = parsePosition(in, *disc, to, &code);
        if (!t)
            return {code, {}};
        if (*t < start)
            return {mcierr::outOfRange, {}};
        end = *t;
    }
    p.play(start, end);
    if (wait) {
        // The caller asked to block until the end; nothing else runs meanwhile.
        // Other commands may come in the meantime: nothing of this one's
        // words (in the shared buffers) is read after the wait.
        m_mutex.unlock();
        p.waitForEnd();
        m_mutex.lock();
    }
    return {};
}

MciDevice::Reply MciDevice::seek(Instance& in, Words words) {
    std::string_view to;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view w = words[i];
        if (w == "to") {
            if (i + 1 >= words.size())
                return {mcierr::missingParameter, {}};
            to = words[++i];
        } else if (!isFlag(w)) {
            return {mcierr::unrecognizedKeyword, {}};
        }
    }
    if (to.empty())
        return {mcierr::missingParameter, {}};
    DrivePlayer& p = player(*in.drive);
    const auto disc = p.refresh();
    if (!disc)
        return {mcierr::deviceNotReady, {}};
    int frame = 0;
    if (to == "start") {
        frame = disc->trackStart(disc->toc.firstTrack);
    } else if (to == "end") {
        frame = disc->toc.leadOut - 1;
    } else {
        std::uint32_t code = 0;
        const auto f = parsePosition(in, *disc, to, &code);
        if (!f)
            return {code, {}};
        frame = *f;
    }
    p.seek(frame);
    return {};
}

void CdDevices::installInto(Platform& platform) {
    if (mci)
        platform.mci = std::move(mci);
    platform.driveTypes = std::make_unique<DriveTableServices>(table);
    platform.discRoot = std::make_unique<DriveTableServices>(table);
    platform.discToc = std::make_unique<DriveTableServices>(table);
}

CdDevices makeCdDevices(CdDeviceOptions options) {
    CdDevices cd;
    if (!options.clock)
        options.clock = std::make_shared<SteadyClock>();
    if (!options.output) {
        auto pulse = std::make_shared<audio::PulseAudioOutput>(*options.clock);
        pulse->connectAhead();
        options.output = std::move(pulse);
    }
    DriveTable::Options tableOptions{options.appPath, options.realDrives, {}};
    if (options.demoWhenNoDrives && !options.appPath.isEmpty())
        tableOptions.demoTray = options.appPath + "/Demo";
    cd.table = std::make_shared<DriveTable>(tableOptions);
    cd.output = options.output;
    // The output may refer to the clock: keep the clock alive with it.
    auto clock = options.clock;
    cd.mci = std::make_unique<MciDevice>(cd.table, clock, cd.output);
    cd.device = cd.mci.get();
    return cd;
}

CdDevices makeTestCdDevices(const QString& appPath, Clock& clock) {
    CdDeviceOptions o;
    o.appPath = appPath;
    o.realDrives = false;
    o.clock = std::shared_ptr<Clock>(std::shared_ptr<Clock>(), &clock);
    o.output = std::make_shared<audio::NullAudioOutput>(clock);
    return makeCdDevices(std::move(o));
}

} // namespace vornap::platform
