#include "platform/drives/drivetable.h"
#include "support/files.h"
#include "test_mci_fixture.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vornap;
using namespace vornap::test;

namespace {

timespec mtimeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mtim;
}

// Sets a directory's modification time, as a coarse file system clock would
// leave it after a change.
void setMtime(const QString& path, timespec when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

struct Tray : MciFixture {
    QString tray = dir.filePath("tray");
    platform::Drive* drive = nullptr;
    Tray() {
        QDir(dir.path()).mkdir("tray");
        drive = cd.table->addVirtualDrive('E', tray);
        write({{di::TrackSpec::audio(300)}}, "one.cue");
        write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300)}}, "two.cue");
    }
    void put(const QString& name, const QString& as) {
        QFile::copy(dir.filePath(name + ".bin"), tray + '/' + as + ".bin");
        QFile::copy(dir.filePath(name + ".cue"), tray + '/' + as + ".cue");
    }
    void take(const QString& as) {
        QFile::remove(tray + '/' + as + ".cue");
        QFile::remove(tray + '/' + as + ".bin");
    }
    int tracks() {
        const auto disc = drive->disc();
        return disc ? disc->trackCount() : 0;
    }
};

} // namespace

TEST(DrivesTray, InsertionsRemovalsAndANewTrayInQuickSuccessionAreEachSeen) {
    Tray t;
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(t.tracks(), 0);
        t.put("one", "a");
        EXPECT_EQ(t.tracks(), 1);
        t.take("a");
        EXPECT_EQ(t.tracks(), 0);
        t.put("two", "b");
        EXPECT_EQ(t.tracks(), 2);
        t.take("b");
    }
    // A tray removed and made again is followed.
    t.put("one", "a");
    EXPECT_EQ(t.tracks(), 1);
    ASSERT_TRUE(QDir(t.tray).removeRecursively());
    EXPECT_EQ(t.tracks(), 0);
    QDir(t.dir.path()).mkdir("tray");
    EXPECT_EQ(t.tracks(), 0);
    t.put("two", "a");
    EXPECT_EQ(t.tracks(), 2);
}

TEST(DrivesTray, ChangeHiddenByAnUnchangedDirectoryTimeIsStillSeen) {
    Tray t;
    t.put("one", "m");
    const timespec before = mtimeOf(t.tray);
    EXPECT_EQ(t.tracks(), 1);
    // A second disc sorting first arrives within the same timestamp tick.
    t.put("two", "a");
    setMtime(t.tray, before);
    EXPECT_EQ(t.tracks(), 2);
    t.take("a");
    setMtime(t.tray, before);
    EXPECT_EQ(t.tracks(), 1);
}

TEST(DrivesTray, SettledTrayFollowsLaterChanges) {
    Tray t;
    t.put("one", "m");
    // A tray last changed long ago is listed once and then trusted...
    timespec old{};
    ::clock_gettime(CLOCK_REALTIME, &old);
    old.tv_sec -= 60;
    setMtime(t.tray, old);
    EXPECT_EQ(t.tracks(), 1);
    EXPECT_EQ(t.tracks(), 1);
    // ...until it changes again.
    t.take("m");
    EXPECT_EQ(t.tracks(), 0);
    t.put("two", "z");
    EXPECT_EQ(t.tracks(), 2);
    // Rewriting a disc in place leaves the listing alone, yet is a new medium.
    setMtime(t.tray, old);
    EXPECT_EQ(t.tracks(), 2);
    for (const char* ext : {".cue", ".bin"})
        writeFile(t.tray + "/z" + ext, readFile(t.dir.filePath(QStringLiteral("one") + ext)));
    EXPECT_EQ(mtimeOf(t.tray).tv_sec, old.tv_sec);
    EXPECT_EQ(t.tracks(), 1);
}

// A disc that is in is not looked at again while nothing changes around it;
// every change that makes another disc, or none, is still seen at once.
TEST(DrivesImage, EveryChangeAroundADiscThatIsInIsSeenAtTheNextLook) {
    struct Row {
        const char* change;
        std::function<void(const QString& disc, const QString& other)> apply;
        int tracks; // 0: no disc
    };
    const auto copy = [](const QString& from, const QString& to) {
        for (const char* ext : {".cue", ".bin"}) {
            QFile::remove(to + ext);
            QFile::copy(from + ext, to + ext);
        }
    };
    const std::vector<Row> rows{
        {"sheet and data rewritten in place", [&](auto d, auto o) { copy(o, d); }, 2},
        {"data file cut short", [](auto d, auto) { QFile(d + ".bin").resize(2352 * 100); }, 1},
        {"sheet taken away", [](auto d, auto) { QFile::remove(d + ".cue"); }, 0},
        {"folder renamed",
         [](auto d, auto) { QDir().rename(QFileInfo(d).path(), QFileInfo(d).path() + "-old"); }, 0},
        {"folder above renamed",
         [](auto d, auto) {
             const QString above = QFileInfo(QFileInfo(d).path()).path();
             QDir().rename(above, above + "-old");
         },
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        MciFixture f;
        QDir(f.dir.path()).mkpath("above/discs");
        f.write({{di::TrackSpec::audio(300)}}, "one.cue");
        f.write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300)}}, "two.cue");
        const QString disc = f.dir.filePath("above/discs/disc");
        copy(f.dir.filePath("one"), disc);
        auto* drive = f.cd.table->addVirtualDrive('E', disc + ".cue");
        const auto first = drive->disc();
        ASSERT_TRUE(first);
        EXPECT_EQ(drive->disc(), first);
        row.apply(disc, f.dir.filePath("two"));
        const auto now = drive->disc();
        EXPECT_EQ(now ? now->trackCount() : 0, row.tracks);
        if (row.tracks) {
            EXPECT_NE(now, first);
        }
    }

    // Through a link: the disc is the one the link leads to, now.
    MciFixture f;
    f.write({{di::TrackSpec::audio(300)}}, "one.cue");
    f.write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300)}}, "two.cue");
    QDir(f.dir.path()).mkdir("links");
    for (const char* ext : {".cue", ".bin"})
        QFile::link(f.dir.filePath(QStringLiteral("one") + ext),
                    f.dir.filePath(QStringLiteral("links/disc") + ext));
    auto* drive = f.cd.table->addVirtualDrive('E', f.dir.filePath("links/disc.cue"));
    EXPECT_EQ(drive->disc()->trackCount(), 1);
    EXPECT_EQ(drive->disc()->trackCount(), 1);
    for (const char* ext : {".cue", ".bin"})
        writeFile(f.dir.filePath(QStringLiteral("one") + ext),
                  readFile(f.dir.filePath(QStringLiteral("two") + ext)));
    EXPECT_EQ(drive->disc()->trackCount(), 2) << "the file behind the link was rewritten";
}
