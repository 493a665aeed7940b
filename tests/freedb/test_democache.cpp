#include "lookupsupport.h"
#include "platform/memoryregistry.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

QString buildDir() {
    return QStringLiteral(VORNAP_TEST_BUILD_DIR);
}
QString sourceDir() {
    return QStringLiteral(VORNAP_TEST_SOURCE_DIR);
}

// A BIN/CUE of silent audio tracks starting at the given sectors.
void writeImage(const QString& folder, const std::vector<int>& starts, int leadOut) {
    QFile bin(folder + "/demo.bin");
    ASSERT_TRUE(bin.open(QIODevice::WriteOnly));
    bin.write(QByteArray(qsizetype(leadOut) * 2352, '\0'));
    QByteArray cue = "FILE \"demo.bin\" BINARY\n";
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const int f = starts[i];
        cue += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:%4\n")
                   .arg(i + 1, 2, 10, QChar('0'))
                   .arg(f / 75 / 60, 2, 10, QChar('0'))
                   .arg(f / 75 % 60, 2, 10, QChar('0'))
                   .arg(f % 75, 2, 10, QChar('0'))
                   .toLatin1();
    }
    QFile cueFile(folder + "/demo.cue");
    ASSERT_TRUE(cueFile.open(QIODevice::WriteOnly));
    cueFile.write(cue);
}

} // namespace

TEST(DemoCache, TheBuildToolWritesAnEntryTheLookupAnswersFromWithoutNetwork) {
    const QString tool = buildDir() + "/tools/vornap_democache";
    ASSERT_TRUE(QFile::exists(tool)) << tool.toStdString();
    QTemporaryDir image, app;
    const std::vector<int> starts = {0, 300, 450};
    writeImage(image.path(), starts, 900);
    QFile titles(image.filePath("titles.txt"));
    ASSERT_TRUE(titles.open(QIODevice::WriteOnly));
    titles.write("DTITLE=Demo Band / Demo Album\nTTITLE0=First\nTTITLE1=Second\n");
    titles.close();

    QProcess run;
    run.start(tool, {image.path(), titles.fileName(), app.filePath("CDDB")});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    FakeTocSource toc;
    toc.discs["E:\\"] = tocFromLsn(starts, 900);
    platform::MemoryRegistry registry;
    LookupSettings offline;
    offline.musicBrainzUrl = "http://127.0.0.1:1";
    FreeDbLookup lookup(toc, registry, app.path(), offline);
    lookup.setServerName("127.0.0.1:1");
    const QString id = lookup.GetDiscID("E:\\");
    EXPECT_TRUE(QFile::exists(app.filePath("CDDB/misc/" + id)));
    ASSERT_EQ(lookup.QueryDisc(id), 1);
    EXPECT_EQ(lookup.DiscArtist(), "Demo Band");
    EXPECT_EQ(lookup.DiscTitle(), "Demo Album");
    EXPECT_EQ(lookup.TrackCount(), 3);
    EXPECT_EQ(lookup.TrackTitle(2), "Second");
    EXPECT_EQ(lookup.TrackTitle(3), "Track 3");
    EXPECT_EQ(lookup.TrackSeconds(1), 4);
    EXPECT_EQ(lookup.TrackSeconds(3), 6);

    // A folder without an image is an error, not an empty cache.
    QTemporaryDir empty;
    run.start(tool, {empty.path(), titles.fileName(), app.filePath("CDDB")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_NE(run.exitCode(), 0);
}

TEST(DemoCache, TheShippedTitlesAreAnEntry) {
    QFile titles(sourceDir() + "/resources/demo/titles.txt");
    ASSERT_TRUE(titles.open(QIODevice::ReadOnly));
    const auto entry = parseXmcd(titles.readAll());
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry->artist.isEmpty());
    EXPECT_NE(entry->artist, entry->title);
    EXPECT_GE(entry->trackTitles.size(), 5);
}

TEST(DemoCache, TheBuiltDemoDiscCarriesItsBundledEntry) {
    const QString demo = buildDir() + "/bin/Demo";
    if (!QFileInfo(demo).isDir())
        GTEST_SKIP() << "no demo disc in this build";
    QTemporaryDir fresh;
    QProcess run;
    run.start(buildDir() + "/tools/vornap_democache",
              {demo, sourceDir() + "/resources/demo/titles.txt", fresh.filePath("CDDB")});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    const QString written = QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed();

    QFile bundled(buildDir() + "/bin/CDDB/misc/" + QFileInfo(written).fileName());
    ASSERT_TRUE(bundled.open(QIODevice::ReadOnly))
        << "the build did not write " << bundled.fileName().toStdString();
    QFile expected(written);
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(bundled.readAll(), expected.readAll());
}
