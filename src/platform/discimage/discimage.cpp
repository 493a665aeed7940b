#include "platform/discimage/discimage.h"

#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <numbers>
#include <unistd.h>

namespace vornap::platform::discimage {

namespace {

std::int16_t toSample(double v) {
    return std::int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
}

// EDC and ECC of a Mode 1 sector, as ECMA-130 defines them.
struct SectorCodes {
    std::array<std::uint32_t, 256> edc{};
    std::array<std::uint8_t, 256> eccF{};
    std::array<std::uint8_t, 256> eccB{};
    SectorCodes() {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t e = i;
            for (int j = 0; j < 8; ++j)
                e = (e >> 1) ^ ((e & 1) ? 0xD8018001u : 0u);
            edc[i] = e;
            const std::uint32_t f = (i << 1) ^ ((i & 0x80) ? 0x11D : 0);
            eccF[i] = std::uint8_t(f);
            eccB[i ^ f] = std::uint8_t(i);
        }
    }
    void eccBlock(const std::uint8_t* src, int majorCount, int minorCount, int majorMult,
                  int minorInc, std::uint8_t* dest) const {
        const int size = majorCount * minorCount;
        for (int major = 0; major < majorCount; ++major) {
            int index = (major >> 1) * majorMult + (major & 1);
            std::uint8_t a = 0, b = 0;
            for (int minor = 0; minor < minorCount; ++minor) {
                const std::uint8_t t = src[index];
                index += minorInc;
                if (index >= size)
                    index -= size;
                a ^= t;
                b ^= t;
                a = eccF[a];
            }
            a = eccB[std::uint8_t(eccF[a] ^ b)];
            dest[major] = a;
            dest[major + majorCount] = std::uint8_t(a ^ b);
        }
    }
};

const SectorCodes& codes() {
    static const SectorCodes c;
    return c;
}

std::uint8_t bcd(int v) {
    return std::uint8_t(((v / 10) << 4) | (v % 10));
}

void put16both(std::uint8_t* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}
void put32le(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}
void put32be(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[3 - i] = std::uint8_t(v >> (8 * i));
}
void put32both(std::uint8_t* p, std::uint32_t v) {
    put32le(p, v);
    put32be(p + 4, v);
}
void putText(std::uint8_t* p, int width, const std::string& s) {
    std::memset(p, ' ', size_t(width));
    std::memcpy(p, s.data(), std::min<size_t>(s.size(), size_t(width)));
}

// A directory record; returns its length.
int dirRecord(std::uint8_t* p, std::uint32_t extent, std::uint32_t size, bool dir,
              const std::string& name) {
    const int nameLen = int(name.size());
    const int len = 33 + nameLen + ((nameLen % 2 == 0) ? 1 : 0);
    std::memset(p, 0, size_t(len));
    p[0] = std::uint8_t(len);
    put32both(p + 2, extent);
    put32both(p + 10, size);
    const std::uint8_t date[7] = {126, 1, 1, 12, 0, 0, 0}; // 2026-01-01 12:00 UTC
    std::memcpy(p + 18, date, 7);
    p[25] = dir ? 2 : 0;
    put16both(p + 28, 1);
    p[32] = std::uint8_t(nameLen);
    std::memcpy(p + 33, name.data(), size_t(nameLen));
    return len;
}

void isoDate(std::uint8_t* p) {
    std::memcpy(p, "2026010112000000", 16);
    p[16] = 0;
}

std::string msf(int frames) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", frames / 4500, frames / 75 % 60,
                  frames % 75);
    return text;
}

} // namespace

Sound sine(double hz, double amplitude) {
    return stereoSine(hz, hz, amplitude);
}

Sound stereoSine(double leftHz, double rightHz, double amplitude) {
    return [=](std::int64_t first, std::int16_t* out, int samples) {
        const double wl = 2 * std::numbers::pi * leftHz / 44100.0;
        const double wr = 2 * std::numbers::pi * rightHz / 44100.0;
        for (int i = 0; i < samples; ++i) {
            const double n = double(first + i);
            out[2 * i] = toSample(amplitude * std::sin(wl * n));
            out[2 * i + 1] = toSample(amplitude * std::sin(wr * n));
        }
    };
}

DiscToc expectedToc(const DiscSpec& spec) {
    DiscToc toc;
    toc.firstTrack = 1;
    toc.lastTrack = int(spec.tracks.size());
    int lsn = 0;
    for (const TrackSpec& t : spec.tracks) {
        lsn += t.pregapFrames;
        toc.trackOffsets.push_back(lsn + leadInFrames);
        toc.dataTrack.push_back(t.data);
        lsn += t.frames;
    }
    toc.leadOut = lsn + leadInFrames;
    return toc;
}

void makeMode1Sector(std::uint8_t* s, int lba, const std::uint8_t* user) {
    std::memset(s, 0, sectorBytes);
    std::memset(s + 1, 0xFF, 10);
    s[12] = bcd(lba / 4500);
    s[13] = bcd(lba / 75 % 60);
    s[14] = bcd(lba % 75);
    s[15] = 1;
    std::memcpy(s + 16, user, 2048);
    const SectorCodes& c = codes();
    std::uint32_t edc = 0;
    for (int i = 0; i < 2064; ++i)
        edc = (edc >> 8) ^ c.edc[(edc ^ s[i]) & 0xFF];
    put32le(s + 2064, edc);
    c.eccBlock(s + 12, 86, 24, 2, 86, s + 2076);
    c.eccBlock(s + 12, 52, 43, 86, 88, s + 2248);
}

std::vector<std::uint8_t> makeIso9660(int frames, int firstLsn, const std::vector<DataFile>& files,
                                      const std::string& volumeId) {
    constexpr int pvd = 16, pathL = 18, pathM = 19, root = 20;
    std::vector<std::uint8_t> img(size_t(std::max(frames, root + 1)) * 2048, 0);
    auto at = [&](int sector) { return img.data() + size_t(sector) * 2048; };

    std::uint8_t* v = at(pvd);
    v[0] = 1;
    std::memcpy(v + 1, "CD001", 5);
    v[6] = 1;
    putText(v + 8, 32, "LINUX");
    putText(v + 40, 32, volumeId);
    put32both(v + 80, std::uint32_t(frames));
    put16both(v + 120, 1);
    put16both(v + 124, 1);
    put16both(v + 128, 2048);
    put32both(v + 132, 10);
    put32le(v + 140, std::uint32_t(firstLsn + pathL));
    put32be(v + 148, std::uint32_t(firstLsn + pathM));
    dirRecord(v + 156, std::uint32_t(firstLsn + root), 2048, true, std::string(1, '\0'));
    for (int off : {190, 318, 446, 574})
        putText(v + off, 128, "");
    for (int off : {702, 739, 776})
        putText(v + off, 37, "");
    isoDate(v + 813);
    isoDate(v + 830);
    std::memset(v + 847, '0', 16);
    std::memset(v + 864, '0', 16);
    v[881] = 1;

    std::uint8_t* t = at(pvd + 1);
    t[0] = 255;
    std::memcpy(t + 1, "CD001", 5);
    t[6] = 1;

    for (int which : {pathL, pathM}) {
        std::uint8_t* p = at(which);
        p[0] = 1;
        if (which == pathL) {
            put32le(p + 2, std::uint32_t(firstLsn + root));
            p[6] = 1;
        } else {
            put32be(p + 2, std::uint32_t(firstLsn + root));
            p[7] = 1;
        }
    }

    std::uint8_t* d = at(root);
    int pos = dirRecord(d, std::uint32_t(firstLsn + root), 2048, true, std::string(1, '\0'));
    pos += dirRecord(d + pos, std::uint32_t(firstLsn + root), 2048, true, std::string(1, '\1'));
    int next = root + 1;
    // Directory records go in name order.
    std::vector<DataFile> sorted = files;
    std::sort(sorted.begin(), sorted.end(),
              [](const DataFile& a, const DataFile& b) { return a.name < b.name; });
    for (const DataFile& f : sorted) {
        const int sectors = int((f.contents.size() + 2047) / 2048);
        if (pos + 33 + int(f.name.size()) + 3 > 2048 || next + sectors > frames)
            break; // the root holds one sector of entries; enough for test discs
        pos += dirRecord(d + pos, std::uint32_t(firstLsn + next), std::uint32_t(f.contents.size()),
                         false, f.name + ";1");
        std::memcpy(at(next), f.contents.data(), f.contents.size());
        next += sectors;
    }
    img.resize(size_t(frames) * 2048);
    return img;
}

bool writeBinCue(const DiscSpec& spec, const QString& cuePath, QString* error) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (spec.tracks.empty() || spec.tracks.size() > 99)
        return fail(QStringLiteral("a disc holds 1 to 99 tracks"));
    const QFileInfo cueInfo(cuePath);
    const QString binPath = cueInfo.path() + '/' + cueInfo.completeBaseName() + ".bin";

    const int fd =
        ::open(QFile::encodeName(binPath).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return fail(QStringLiteral("cannot write %1").arg(binPath));

    std::string cue;
    if (!spec.performer.empty())
        cue += "PERFORMER \"" + spec.performer + "\"\n";
    if (!spec.title.empty())
        cue += "TITLE \"" + spec.title + "\"\n";
    cue += "FILE \"" + QFileInfo(binPath).fileName().toStdString() + "\" BINARY\n";
    std::vector<std::uint8_t> buffer;
    std::int64_t lsn = 0;
    bool ok = true;
    auto writeAt = [&](std::int64_t atLsn, const void* data, size_t bytes) {
        const char* p = static_cast<const char*>(data);
        off_t off = off_t(atLsn) * sectorBytes;
        while (ok && bytes > 0) {
            const ssize_t n = ::pwrite(fd, p, bytes, off);
            if (n <= 0) {
                ok = false;
                break;
            }
            p += n;
            off += n;
            bytes -= size_t(n);
        }
    };

    for (size_t i = 0; i < spec.tracks.size() && ok; ++i) {
        const TrackSpec& t = spec.tracks[i];
        if (t.frames <= 0 || t.pregapFrames < 0) {
            ::close(fd);
            return fail(QStringLiteral("track %1 has no length").arg(i + 1));
        }
        char head[64];
        std::snprintf(head, sizeof head, "  TRACK %02d %s\n", int(i + 1),
                      t.data ? "MODE1/2352" : "AUDIO");
        cue += head;
        if (!t.title.empty())
            cue += "    TITLE \"" + t.title + "\"\n";
        if (t.preEmphasis && !t.data)
            cue += "    FLAGS PRE\n";
        if (t.pregapFrames > 0)
            cue += "    INDEX 00 " + msf(int(lsn)) + "\n";
        // Pregaps stay digital silence: the holes of a sparse file.
        lsn += t.pregapFrames;
        cue += "    INDEX 01 " + msf(int(lsn)) + "\n";

        if (t.data) {
            const std::vector<std::uint8_t> iso = makeIso9660(t.frames, int(lsn), t.files);
            buffer.resize(size_t(sectorBytes));
            for (int s = 0; s < t.frames && ok; ++s) {
                makeMode1Sector(buffer.data(), int(lsn) + s + leadInFrames,
                                iso.data() + size_t(s) * 2048);
                writeAt(lsn + s, buffer.data(), buffer.size());
            }
        } else if (t.sound) {
            constexpr int chunk = 75;
            buffer.resize(size_t(chunk) * sectorBytes);
            for (int s = 0; s < t.frames && ok; s += chunk) {
                const int n = std::min(chunk, t.frames - s);
                auto* samples = reinterpret_cast<std::int16_t*>(buffer.data());
                t.sound(std::int64_t(s) * 588, samples, n * 588);
                // Little-endian on disc; this host is little-endian too.
                static_assert(std::endian::native == std::endian::little);
                writeAt(lsn + s, buffer.data(), size_t(n) * sectorBytes);
            }
        }
        lsn += t.frames;
    }
    if (ok && ::ftruncate(fd, off_t(lsn) * sectorBytes) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (!ok)
        return fail(QStringLiteral("cannot write %1").arg(binPath));

    QSaveFile out(cuePath);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(cue.data(), qint64(cue.size())) != qint64(cue.size()) || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(cuePath));
    return true;
}

} // namespace vornap::platform::discimage
