#include "platform/discimage/discimage.h"
#include "platform/drives/drivetable.h"
#include "support/files.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace di = vornap::platform::discimage;

namespace {

// The tools are built beside the test programs.
QString tool(const char* name) {
    return QCoreApplication::applicationDirPath() + '/' + name;
}

} // namespace

TEST(MciTool, AnswersItsArgumentsAndEachLineOfInputAsItArrives) {
    if (!QFile::exists(tool("vornap-mci")))
        GTEST_SKIP() << "vornap-mci not built";
    QTemporaryDir home;
    ASSERT_TRUE(di::writeBinCue({{di::TrackSpec::audio(19000), di::TrackSpec::audio(18500)}},
                                home.filePath("disc.cue")));
    vornap::test::writeFile(home.filePath("VornapDrives.dat"), "E:\\=disc.cue\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VORNAP_HOME", home.path());
    env.insert("PULSE_SERVER", "unix:/nonexistent/vornap-test/native");

    QProcess args;
    args.setProcessEnvironment(env);
    args.start(tool("vornap-mci"),
               {"open e: type cdaudio alias x", "status x number of tracks", "close x", "close x"});
    ASSERT_TRUE(args.waitForFinished(5000));
    EXPECT_EQ(args.readAllStandardOutput(), "0\t1\n0\t2\n0\t\n263\t\n");

    QProcess p;
    p.setProcessEnvironment(env);
    p.start(tool("vornap-mci"), {});
    ASSERT_TRUE(p.waitForStarted());
    auto ask = [&](const char* command) {
        p.write(QByteArray(command) + "\n");
        // The answer must come before the next command is written.
        while (!p.canReadLine())
            if (!p.waitForReadyRead(5000))
                return QByteArray("timeout");
        return p.readLine().trimmed();
    };
    EXPECT_EQ(ask("open E:\\ type cdaudio alias cd1 wait shareable"), "0\t1");
    EXPECT_EQ(ask("set cd1 time format milliseconds"), "0");
    EXPECT_EQ(ask("status cd1 length"), "0\t499987");
    EXPECT_EQ(ask("status cd9 length"), "263");
    EXPECT_EQ(ask("set cd1 time format tmsf"), "0");
    EXPECT_EQ(ask("play cd1 from 2"), "0");
    EXPECT_EQ(ask("status cd1 mode"), "0\tplaying");
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0);
}

TEST(DiscGenTool, WritesTheDiscItIsToldTo) {
    if (!QFile::exists(tool("vornap-discgen")))
        GTEST_SKIP() << "vornap-discgen not built";
    QTemporaryDir dir;
    QProcess p;
    p.start(tool("vornap-discgen"), {dir.filePath("d.cue"), "data:300f:file=A.TXT=hello",
                                     "audio:2s:sine=440:pregap=150f", "audio:0:03:pre"});
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.readAllStandardOutput(),
              "track 1\tdata\t150\ntrack 2\taudio\t600\ntrack 3\taudio\t750\nlead-out\t\t975\n");
    const auto disc = vornap::platform::loadDisc(dir.filePath("d.cue"), {}, false);
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->preEmphasis, (std::vector<bool>{false, false, true}));
    QProcess bad;
    bad.start(tool("vornap-discgen"), {dir.filePath("e.cue"), "audio:often"});
    ASSERT_TRUE(bad.waitForFinished(10000));
    EXPECT_NE(bad.exitCode(), 0);
}
