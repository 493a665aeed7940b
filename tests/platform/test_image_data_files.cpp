#include "platform/discimage/discimage.h"
#include "platform/drives/drivetable.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A cue sheet whose data file is a pipe (or a device) used to block the
// player in libcdio's open for good; a regular file elsewhere still loads.
TEST(ImageDataFiles, ASheetNamingAPipeIsRefusedNotWaitedOn) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath("stream");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, dir.filePath("beside.bin")));
    ASSERT_TRUE(QDir(dir.path()).mkpath("data"));
    ASSERT_TRUE(
        di::writeBinCue({{di::TrackSpec::audio(di::seconds(2))}}, dir.filePath("data/disc.cue")));
    // The data file named, and what the refusal says (no refusal: it loads).
    const std::pair<QString, QString> rows[] = {
        {"stream", "stream"}, {"beside.bin", "not a regular file"}, {"data/disc.bin", ""}};
    for (const auto& [file, refusal] : rows) {
        SCOPED_TRACE(file.toStdString());
        const QString sheet = dir.filePath(QFileInfo(file).completeBaseName() + ".cue");
        writeFile(sheet, "FILE \"" + file.toLatin1() +
                             "\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
        // On another thread, so a load that blocks fails the test instead of
        // holding it; the pipe is then opened for writing to let it go.
        auto result = std::async(std::launch::async, [&] {
            QString problem;
            auto disc = loadDisc(sheet, MediumId{sheet}, false, &problem);
            return std::pair(disc ? disc->toc.leadOut : 0, problem);
        });
        if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ::close(::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK));
            ADD_FAILURE() << "blocked on a pipe";
        }
        const auto [leadOut, problem] = result.get();
        EXPECT_EQ(leadOut, refusal.isEmpty() ? 150 + di::seconds(2) : 0);
        EXPECT_TRUE(refusal.isEmpty() ? problem.isEmpty() : problem.contains(refusal))
            << problem.toStdString();
    }
}
