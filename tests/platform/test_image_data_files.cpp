#include "platform/discimage/discimage.h"
#include "platform/drives/drivetable.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vornap::platform;
using vornap::test::writeFile;
namespace di = vornap::platform::discimage;

namespace {

struct Loaded {
    bool disc = false;
    QString problem;
};

// Loads the image on another thread, so a load that blocks fails the test
// instead of holding it; the pipe is then opened for writing to let it go.
Loaded loadWithoutHanging(const QString& cue, const QString& pipe) {
    auto result = std::async(std::launch::async, [cue] {
        QString problem;
        const bool disc = loadDisc(cue, MediumId{cue}, false, &problem) != nullptr;
        return Loaded{disc, problem};
    });
    if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        ADD_FAILURE() << "loading " << cue.toStdString() << " blocked on a pipe";
    }
    return result.get();
}

const QByteArray kOneTrack = "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

} // namespace

// A cue sheet whose data file is a pipe (or a device) used to block the
// player in libcdio's open for good.
TEST(ImageDataFiles, ASheetNamingAPipeIsRefusedNotWaitedOn) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("stream");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    writeFile(dir.filePath("named.cue"), "FILE \"stream\" BINARY\n" + kOneTrack);
    const Loaded named = loadWithoutHanging(dir.filePath("named.cue"), pipe);
    EXPECT_FALSE(named.disc);
    EXPECT_FALSE(named.problem.isEmpty());

    ASSERT_TRUE(QFile::link(pipe, dir.filePath("beside.bin")));
    writeFile(dir.filePath("beside.cue"), "FILE \"beside.bin\" BINARY\n" + kOneTrack);
    const Loaded beside = loadWithoutHanging(dir.filePath("beside.cue"), pipe);
    EXPECT_FALSE(beside.disc);
    EXPECT_TRUE(beside.problem.contains("not a regular file")) << beside.problem.toStdString();
}

TEST(ImageDataFiles, ARegularDataFileElsewhereStillLoads) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("data"));
    ASSERT_TRUE(
        di::writeBinCue({{di::TrackSpec::audio(di::seconds(2))}}, dir.filePath("data/disc.cue")));
    // However the sheet spells its FILE line.
    const std::pair<QByteArray, bool> sheets[] = {
        {"FILE \"data/disc.bin\" BINARY\n", true},
        {"REM made elsewhere\r\n  FILE data/disc.bin BINARY\r\n", true},
        {"\n\tFILE\t\"data/disc.bin\"\n", true},
        {"FILES \"data/disc.bin\" BINARY\n", false},
        {"FILE \"data/disc.bin\" BINARY\nFILE \"data/disc.bin\" BINARY\n", false},
    };
    for (const auto& [sheet, loads] : sheets) {
        SCOPED_TRACE(sheet.toStdString());
        writeFile(dir.filePath("other.cue"), sheet + kOneTrack);
        QString problem;
        const auto disc = loadDisc(dir.filePath("other.cue"), MediumId{dir.filePath("other.cue")},
                                   false, &problem);
        EXPECT_EQ(disc != nullptr, loads) << problem.toStdString();
        if (disc) {
            EXPECT_EQ(disc->trackCount(), 1);
            EXPECT_EQ(disc->toc.leadOut, 150 + di::seconds(2));
        }
    }
}
