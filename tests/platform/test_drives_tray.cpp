#include "platform/drives/drivetable.h"
#include "support/files.h"
#include "test_mci_fixture.h"

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

void setMtime(const QString& path, timespec when) {
    const timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

} // namespace

// Discs put in and taken out in quick succession, the tray folder removed and
// made again, changes a coarse file system clock hides behind an unchanged
// folder time, and a tray settled long ago: each look sees the disc now in.
TEST(DrivesTray, EveryChangeOfTheTrayIsSeenAtTheNextLook) {
    MciFixture f;
    const QString tray = f.tray();
    auto* drive = f.cd.table->addVirtualDrive('E', tray);
    f.write({{di::TrackSpec::audio(300)}}, "one.cue");
    f.write({{di::TrackSpec::audio(300), di::TrackSpec::audio(300)}}, "two.cue");
    timespec kept{}, old{};
    ::clock_gettime(CLOCK_REALTIME, &old);
    old.tv_sec -= 60;
    const auto put = [&](const char* disc, const char* as) { f.put(disc, tray, as); };
    const auto take = [&](const char* as) { f.take(tray, as); };
    const std::vector<std::pair<std::function<void()>, int>> steps{
        {[&] { put("one", "a"); }, 1},
        {[&] { take("a"); }, 0},
        {[&] { put("two", "b"); }, 2},
        {[&] { take("b"); }, 0},
        {[&] { put("one", "a"); }, 1},
        {[&] { take("a"); }, 0},
        {[&] { put("one", "a"); }, 1},
        {[&] { QDir(tray).removeRecursively(); }, 0},
        {[&] { QDir().mkdir(tray); }, 0},
        {[&] { put("one", "m"); }, 1},
        // A disc sorting first arrives and goes within the same time tick.
        {[&] { kept = mtimeOf(tray), put("two", "a"), setMtime(tray, kept); }, 2},
        {[&] { take("a"), setMtime(tray, kept); }, 1},
        // A tray last changed long ago is listed once and then trusted...
        {[&] { setMtime(tray, old); }, 1},
        {[] {}, 1},
        // ...until it changes again.
        {[&] { take("m"); }, 0},
        {[&] { put("two", "z"), setMtime(tray, old); }, 2},
        // Rewriting a disc in place leaves the listing alone, yet is a new medium.
        {[&] {
             for (const char* ext : {".cue", ".bin"})
                 writeFile(tray + "/z" + ext, readFile(f.dir.filePath(QString("one") + ext)));
             ASSERT_EQ(mtimeOf(tray).tv_sec, old.tv_sec);
         },
         1},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i].first();
        const auto disc = drive->disc();
        EXPECT_EQ(disc ? disc->trackCount() : 0, steps[i].second) << "step " << i;
    }
}
