#include "faults/robustnessrow.h"
#include "platform/drives/drivetable.h"
#include "support/files.h"
#include "test_mci_fixture.h"

#include <QFileInfo>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vornap;
using namespace vornap::test;
using platform::DriveTable;

// (Without a drives file or a drive the demo stands in, as the first-run
// journey and the install script see.)
TEST(Drives, DrivesFileGivesVirtualDrivesInLetterOrder) {
    QTemporaryDir dir;
    writeFile(dir.filePath(DriveTable::drivesFileName),
              "# virtual drives\nG:\\=/nowhere/disc.cue\n\ne:\\=Demo\nthis line is wrong\n"
              "G:\\=/twice.cue\nH:= spaced.cue \n# written on another system\r\n"
              "K:\\=/elsewhere/disc.cue\r\n");
    DriveTable table({dir.path(), false, dir.filePath("Demo")});
    QStringList listed;
    for (const auto* d : table.drives())
        listed << QString::fromStdString(d->root()) + '=' + d->source();
    EXPECT_EQ(listed,
              (QStringList{"E:\\=" + dir.path() + "/Demo", "G:\\=/nowhere/disc.cue",
                           "H:\\=" + dir.path() + "/spaced.cue", "K:\\=/elsewhere/disc.cue"}));
    EXPECT_EQ(table.problems().size(), 2);
    EXPECT_EQ(table.find("g:\\"), table.drives()[1]);
}

namespace {

timespec mtimeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim;
}

void setMtime(const QString& path, timespec when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

// Discs put in and taken out in quick succession, a copy still in progress,
// the tray folder removed and made again, changes a coarse file system clock
// hides behind an unchanged folder time, and a tray settled long ago: each
// look sees the disc now in.
TEST(Drives, EveryChangeOfTheTrayIsSeenAtTheNextLook) {
    const RobustnessRow row(
        "Disc copied into a tray folder slowly, sheet first",
        "No disc until its data file is written and closed, then it loads once");
    MciFixture f;
    const QString tray = f.tray();
    auto* drive = f.cd.table->addVirtualDrive('E', tray);
    f.write({{di::TrackSpec::audio(300)}}, "one.cue");
    f.write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300)}}, "two.cue");
    timespec kept{}, old{};
    ::clock_gettime(CLOCK_REALTIME, &old);
    old.tv_sec -= 60;
    const auto put = [&](const char* disc, const char* as) {
        for (const char* ext : {".cue", ".bin"})
            writeFile(tray + '/' + as + ext, readFile(f.dir.filePath(QString(disc) + ext)));
    };
    const auto take = [&](const char* as) {
        for (const char* ext : {".cue", ".bin"})
            QFile::remove(tray + '/' + as + ext);
    };
    const int one = 450, two = 750; // lead-outs; 0: no disc
    QFile copying(tray + "/d.bin");
    const std::vector<std::pair<std::function<void()>, int>> steps{
        {[&] { put("one", "a"); }, one},
        {[&] { take("a"); }, 0},
        {[&] { put("two", "b"); }, two},
        {[&] { take("b"); }, 0},
        {[&] { put("one", "a"); }, one},
        {[&] { take("a"); }, 0},
        // The sheet is there, its data file only partly: a new medium once whole.
        {[&] { put("one", "c"), QFile::resize(tray + "/c.bin", 2352 * 100); }, 250},
        {[&] { put("one", "c"); }, one},
        {[&] { QDir(tray).removeRecursively(); }, 0},
        {[&] { QDir().mkdir(tray); }, 0},
        {[&] { put("one", "m"); }, one},
        // A disc sorting first arrives and goes within the same time tick.
        {[&] { kept = mtimeOf(tray), put("two", "a"), setMtime(tray, kept); }, two},
        {[&] { take("a"), setMtime(tray, kept); }, one},
        // A tray last changed long ago is listed once and then trusted...
        {[&] { setMtime(tray, old); }, one},
        {[] {}, one},
        // ...until it changes again.
        {[&] { take("m"); }, 0},
        {[&] { put("two", "z"), setMtime(tray, old); }, two},
        // Rewriting a disc in place leaves the listing alone, yet is a new medium.
        {[&] { put("one", "z"), setMtime(tray, old); }, one},
        // Copied in sheet first, the data growing in steps: no disc until the copy ends.
        {[&] { put("one", "d"), copying.open(QIODevice::WriteOnly), copying.write("..."); }, 0},
        {[&] { copying.write(QByteArray(2352 * 300, 0)), copying.flush(); }, 0},
        {[&] { copying.close(); }, one}};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].first();
        const auto disc = drive->disc();
        EXPECT_EQ(disc ? disc->toc.leadOut : 0, steps[i].second) << "step " << i;
        EXPECT_EQ(drive->disc(), disc) << "read once per medium, step " << i;
    }
}

// A disc that is in is not looked at again while nothing changes around it;
// every change that makes another disc, or none, is still seen at once. The
// disc is a copy of disc "one", links to it, or names its data (d) elsewhere;
// "two" has two tracks.
TEST(Drives, EveryChangeAroundADiscThatIsInIsSeenAtTheNextLook) {
    const RobustnessRow row("Data file a cue sheet names in another folder or by another name, "
                            "cut short or replaced while the disc is in",
                            "The old disc leaves and the changed one is loaded afresh");
    const auto copy = [](const QString& from, const QString& to) {
        for (const char* ext : {".cue", ".bin"})
            QFile::remove(to + ext), QFile::copy(from + ext, to + ext);
    };
    const auto above = [](const QString& disc) { return QFileInfo(disc).path(); };
    const auto aside = [](const QString& path) { QDir().rename(path, path + "-old"); };
    using Change = std::function<void(const QString& disc, const QString& d, const QString& one,
                                      const QString& two)>;
    const Change cut = [](auto, auto b, auto, auto) { QFile(b).resize(2352 * 100); };
    const std::vector<std::tuple<const char*, const char*, bool, Change, int>> rows{
        {"sheet and data rewritten in place", nullptr, false,
         [&](auto d, auto, auto, auto t) { copy(t, d); }, 2},
        {"data file cut short", nullptr, false, cut, 1},
        {"sheet taken away", nullptr, false,
         [](auto d, auto, auto, auto) { QFile::remove(d + ".cue"); }, 0},
        {"folder renamed", nullptr, false, [&](auto d, auto, auto, auto) { aside(above(d)); }, 0},
        {"folder above renamed", nullptr, false,
         [&](auto d, auto, auto, auto) { aside(above(above(d))); }, 0},
        {"file behind a link rewritten", nullptr, true,
         [](auto, auto, auto o, auto t) {
             for (const char* ext : {".cue", ".bin"})
                 writeFile(o + ext, readFile(t + ext));
         },
         2},
        {"data file of another name cut short", "other.bin", false, cut, 1},
        {"data file in another folder cut short", "../../data/disc.bin", false, cut, 1},
        {"data file in another folder replaced", "../../data/disc.bin", false,
         [](auto, auto b, auto, auto t) { QFile::remove(b), QFile::copy(t + ".bin", b); }, 1},
    };
    for (const auto& [change, named, linked, apply, tracks] : rows) {
        SCOPED_TRACE(change);
        MciFixture f;
        QDir(f.dir.path()).mkpath("above/discs"), QDir(f.dir.path()).mkpath("data");
        f.write({{di::TrackSpec::audio(300)}}, "one.cue");
        f.write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300)}}, "two.cue");
        const QString disc = f.dir.filePath("above/discs/disc"), one = f.dir.filePath("one");
        const QString bin = named ? above(disc) + '/' + named : disc + ".bin";
        for (const char* ext : {".cue", ".bin"})
            linked ? QFile::link(one + ext, disc + ext) : QFile::copy(one + ext, disc + ext);
        if (named)
            writeFile(disc + ".cue", "FILE \"" + QByteArray(named) + "\" BINARY\n" +
                                         readFile(one + ".cue").split('\n').mid(1).join('\n')),
                QFile::rename(disc + ".bin", bin);
        auto* drive = f.cd.table->addVirtualDrive('E', disc + ".cue");
        const auto first = drive->disc();
        ASSERT_TRUE(first);
        EXPECT_EQ(drive->disc(), first);
        apply(disc, bin, one, f.dir.filePath("two"));
        const auto now = drive->disc();
        EXPECT_EQ(now ? now->trackCount() : 0, tracks);
        EXPECT_TRUE(!tracks || now != first) << "a new medium";
    }
}

// A cue sheet whose data file is a pipe (or a device) used to block the
// player in libcdio's open for good (this test would then hang until its
// time limit); a regular file elsewhere still loads, however the sheet
// spells its FILE line; more than one data file is refused.
TEST(Drives, ASheetNamingAPipeIsRefusedNotWaitedOn) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("stream");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, dir.filePath("beside.bin")));
    ASSERT_TRUE(QDir(dir.path()).mkpath("data"));
    ASSERT_TRUE(
        di::writeBinCue({{di::TrackSpec::audio(di::seconds(2))}}, dir.filePath("data/disc.cue")));
    // The sheet's name (libcdio opens <name>.bin whatever the sheet says), its
    // FILE lines, and what the refusal says ("-": it loads).
    const std::tuple<QString, QByteArray, QString> rows[] = {
        {"stream", "FILE \"stream\" BINARY\n", "stream"},
        {"beside", "FILE \"beside.bin\" BINARY\n", "not a regular file"},
        {"disc", "FILE \"data/disc.bin\" BINARY\n", "-"},
        {"disc", "REM made elsewhere\r\n  FILE data/disc.bin BINARY\r\n", "-"},
        {"disc", "\n\tFILE\t\"data/disc.bin\"\n", "-"},
        {"disc", "FILES \"data/disc.bin\" BINARY\n", ""},
        {"disc", "FILE \"data/disc.bin\" BINARY\nFILE \"data/disc.bin\" BINARY\n", ""},
    };
    for (const auto& [name, lines, refusal] : rows) {
        SCOPED_TRACE(lines.toStdString());
        const QString sheet = dir.filePath(name + ".cue");
        writeFile(sheet, lines + "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
        QString problem;
        const auto disc = platform::loadDisc(sheet, platform::MediumId{sheet}, false, &problem);
        EXPECT_EQ(disc ? disc->toc.leadOut : 0, refusal == "-" ? 150 + di::seconds(2) : 0);
        EXPECT_TRUE(refusal == "-" ? problem.isEmpty() : problem.contains(refusal))
            << problem.toStdString();
    }
}
