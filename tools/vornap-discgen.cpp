// Writes a CD image (BIN/CUE) from a description on the command line.

#include "platform/discimage/demodisc.h"
#include "platform/discimage/discimage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace di = vornap::platform::discimage;

namespace {

void usage() {
    std::puts("usage: vornap-discgen OUT.cue TRACK...\n"
              "       vornap-discgen --demo OUT.cue\n"
              "TRACK is audio:LEN[:sine=HZ][:left=HZ:right=HZ][:amp=A][:pregap=LEN][:pre]\n"
              "      or data:LEN[:file=NAME=TEXT]...\n"
              "LEN is frames (\"300f\"), seconds (\"12.5s\" or \"12.5\") or minutes (\"4:13\");\n"
              "an audio track without a tone is digital silence; \"pre\" flags it as\n"
              "mastered with pre-emphasis (the tone is written as given).\n"
              "Prints the table of contents.");
}

std::optional<int> length(const QString& s) {
    bool ok = false;
    if (s.endsWith('f')) {
        const int f = s.chopped(1).toInt(&ok);
        return ok && f > 0 ? std::optional(f) : std::nullopt;
    }
    if (s.contains(':')) {
        const QStringList p = s.split(':');
        bool okm = false, oks = false;
        const int m = p.value(0).toInt(&okm);
        const double sec = p.value(1).toDouble(&oks);
        return okm && oks && p.size() == 2 ? std::optional(di::seconds(m * 60 + sec))
                                           : std::nullopt;
    }
    const double sec = (s.endsWith('s') ? s.chopped(1) : s).toDouble(&ok);
    return ok && sec > 0 ? std::optional(di::seconds(sec)) : std::nullopt;
}

std::optional<di::TrackSpec> track(const QString& text, QString* why) {
    // Minutes contain a colon too: take the length as the field after the kind,
    // joined with the next one when that one is a plain number.
    QStringList parts = text.split(':');
    const QString kind = parts.takeFirst();
    if (parts.isEmpty()) {
        *why = "no length in " + text;
        return std::nullopt;
    }
    QString len = parts.takeFirst();
    if (!parts.isEmpty()) {
        bool number = false;
        parts.first().toDouble(&number);
        if (number)
            len += ':' + parts.takeFirst();
    }
    const auto frames = length(len);
    if (!frames) {
        *why = "bad length " + len;
        return std::nullopt;
    }
    di::TrackSpec t =
        kind == "data" ? di::TrackSpec::dataTrack(*frames) : di::TrackSpec::audio(*frames);
    if (kind != "data" && kind != "audio") {
        *why = "unknown track kind " + kind;
        return std::nullopt;
    }
    double hz = 0, left = 0, right = 0, amp = 0.5;
    for (const QString& opt : parts) {
        const QString key = opt.section('=', 0, 0), value = opt.section('=', 1);
        bool ok = true;
        if (key == "sine")
            hz = value.toDouble(&ok);
        else if (key == "left")
            left = value.toDouble(&ok);
        else if (key == "right")
            right = value.toDouble(&ok);
        else if (key == "amp")
            amp = value.toDouble(&ok);
        else if (opt == "pre" && !t.data)
            t.preEmphasis = true;
        else if (key == "pregap") {
            const auto g = length(value);
            ok = g.has_value();
            t.pregapFrames = g.value_or(0);
        } else if (key == "file" && t.data)
            t.files.push_back(
                {value.section('=', 0, 0).toStdString(), value.section('=', 1).toStdString()});
        else
            ok = false;
        if (!ok) {
            *why = "bad option " + opt;
            return std::nullopt;
        }
    }
    if (!t.data && hz > 0)
        t.sound = di::sine(hz, amp);
    else if (!t.data && (left > 0 || right > 0))
        t.sound = di::stereoSine(left, right, amp);
    return t;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.contains("--help") || args.contains("-h")) {
        usage();
        return args.isEmpty() ? 2 : 0;
    }
    di::DiscSpec spec;
    QString out;
    if (args.first() == "--demo") {
        if (args.size() != 2) {
            usage();
            return 2;
        }
        out = args[1];
        spec = di::demoDisc();
    } else {
        out = args.takeFirst();
        for (const QString& a : args) {
            QString why;
            const auto t = track(a, &why);
            if (!t) {
                std::fprintf(stderr, "vornap-discgen: %s\n", qPrintable(why));
                return 2;
            }
            spec.tracks.push_back(*t);
        }
    }
    QDir().mkpath(QFileInfo(out).absolutePath());
    QString error;
    if (!di::writeBinCue(spec, out, &error)) {
        std::fprintf(stderr, "vornap-discgen: %s\n", qPrintable(error));
        return 1;
    }
    const auto toc = di::expectedToc(spec);
    for (size_t i = 0; i < toc.trackOffsets.size(); ++i)
        std::printf("track %zu\t%s\t%d\n", i + 1, toc.dataTrack[i] ? "data" : "audio",
                    toc.trackOffsets[i]);
    std::printf("lead-out\t\t%d\n", toc.leadOut);
    return 0;
}
