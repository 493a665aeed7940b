#include "lookupsupport.h"
#include "platform/discimage/discimage.h"
#include "platform/memoryregistry.h"
#include "support/files.h"
#include "support/skins.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

TEST(DemoCache, TheBuildToolWritesAnEntryTheLookupAnswersFromWithoutNetwork) {
    const QString tool = buildDir() + "/tools/vornap_democache";
    ASSERT_TRUE(QFile::exists(tool)) << tool.toStdString();
    QTemporaryDir image, app;
    namespace di = platform::discimage;
    ASSERT_TRUE(di::writeBinCue(
        {{di::TrackSpec::audio(300), di::TrackSpec::audio(150), di::TrackSpec::audio(450)}},
        image.filePath("demo.cue")));
    const QString titles = image.filePath("titles.txt");
    writeFile(titles, "DTITLE=Demo Band / Demo Album\nTTITLE0=First\nTTITLE1=Second\n");

    QProcess run;
    run.start(tool, {image.path(), titles, app.filePath("CDDB")});
    ASSERT_TRUE(run.waitForFinished(60000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    FakeTocSource toc;
    toc.discs["E:\\"] = tocFromLsn({0, 300, 450}, 900);
    platform::MemoryRegistry registry;
    LookupSettings offline;
    offline.musicBrainzUrl = "http://127.0.0.1:1";
    FreeDbLookup lookup(toc, registry, app.path(), offline);
    lookup.setServerName("127.0.0.1:1");
    const QString id = lookup.GetDiscID("E:\\");
    EXPECT_TRUE(QFile::exists(app.filePath("CDDB/misc/" + id)));
    ASSERT_EQ(lookup.QueryDisc(id), 1);
    EXPECT_EQ(lookup.DiscArtist() + " / " + lookup.DiscTitle(), "Demo Band / Demo Album");
    EXPECT_EQ(lookup.TrackTitle(2), "Second");
    EXPECT_EQ(lookup.TrackTitle(3), "Track 3") << "titles the file lacks are numbered";
    EXPECT_EQ(lookup.TrackSeconds(3), 6);

    // A folder without an image is an error, not an empty cache.
    QTemporaryDir empty;
    run.start(tool, {empty.path(), titles, app.filePath("CDDB")});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_NE(run.exitCode(), 0);
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
