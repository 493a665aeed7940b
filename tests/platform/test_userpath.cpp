#include "freedb/freedblookup.h"
#include "options/options.h"
#include "platform/discimage/discimage.h"
#include "platform/drives/drivetable.h"
#include "platform/memoryregistry.h"
#include "platform/process.h"
#include "platform/userdata.h"
#include "skins/skinfiles.h"
#include "support/apptest.h"
#include "support/files.h"
#include "support/skins.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::platform;

namespace {

void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    test::writeFile(path, text);
}

// An installed tree: <prefix>/bin with nothing but the program and
// <prefix>/share/vornap with a skin, a small demo disc, help and one entry
// of the lookup cache for that disc.
struct InstalledCopy : ::testing::Test {
    void SetUp() override {
        QDir().mkpath(bin());
        ASSERT_TRUE(test::copySkin(test::builtSkinDir("Base"), shipped() + "/Skins/Base"));
        ASSERT_TRUE(test::copySkin(test::builtSkinDir("Walnut"), shipped() + "/Skins/Walnut"));
        discimage::DiscSpec disc;
        disc.tracks = {discimage::TrackSpec::audio(300), discimage::TrackSpec::audio(450)};
        QDir().mkpath(shipped() + "/Demo");
        ASSERT_TRUE(discimage::writeBinCue(disc, shipped() + "/Demo/Demo.cue"));
        writeText(shipped() + "/vornap_help.html", "<html>help</html>");
        DriveTableServices toc(
            std::make_shared<DriveTable>(DriveTable::Options{{}, false, shipped() + "/Demo"}));
        MemoryRegistry registry;
        discId = FreeDbLookup(toc, registry, {}).GetDiscID("D:\\");
        ASSERT_FALSE(discId.isEmpty());
        writeText(shipped() + "/CDDB/misc/" + discId,
                  "# xmcd\n#\nDISCID=" + discId.toLatin1() +
                      "\nDTITLE=Shipped Band / Shipped Album\nTTITLE0=One\nTTITLE1=Two\n"
                      "EXTD=\nPLAYORDER=\n");
    }

    QString bin() const { return root.filePath("prefix/bin"); }
    QString shipped() const { return root.filePath("prefix/share/vornap"); }
    QString home() const { return root.filePath("home"); }
    AppPathInputs inputs() const { return {{}, bin(), {}, home(), "../share/vornap"}; }

    QTemporaryDir root;
    QString discId;
};

} // namespace

TEST_F(InstalledCopy, RunsFromThePerUserDataHomeUnlessTheProgramHasItsOwnData) {
    AppPathInputs in = inputs();
    AppPathLayout layout = resolveAppPath(in);
    EXPECT_EQ(layout.path, home() + "/.local/share/vornap");
    EXPECT_EQ(layout.shipped, QDir::cleanPath(shipped()));
    EXPECT_TRUE(layout.installed());

    in.dataHome = root.filePath("data");
    EXPECT_EQ(resolveAppPath(in).path, root.filePath("data/vornap"));
    // XDG base directory rules: a relative XDG path is ignored.
    in.dataHome = "relative/data";
    EXPECT_EQ(resolveAppPath(in).path, home() + "/.local/share/vornap");

    // $VORNAP_HOME: a folder of skins of its own is used as it is; one
    // without gets the shipped data linked in.
    in.vornapHome = root.filePath("mine") + "/";
    layout = resolveAppPath(in);
    EXPECT_EQ(layout.path, root.filePath("mine"));
    EXPECT_EQ(layout.shipped, QDir::cleanPath(shipped()));
    QDir().mkpath(root.filePath("mine/Skins"));
    EXPECT_FALSE(resolveAppPath(in).installed());

    // A copy of the program directory (as the build tree is) stays portable
    // even beside an installed tree.
    QDir().mkpath(bin() + "/Skins");
    layout = resolveAppPath(inputs());
    EXPECT_EQ(layout.path, bin());
    EXPECT_FALSE(layout.installed());
    AppPathInputs fresh = inputs();
    fresh.vornapHome = root.filePath("fresh");
    EXPECT_EQ(resolveAppPath(fresh).shipped, bin()) << "the program directory's own data";

    QDir(bin() + "/Skins").removeRecursively();
    QDir(shipped() + "/Skins").removeRecursively();
    EXPECT_EQ(resolveAppPath(inputs()).path, bin());

    // No home to write to: the program directory, as before.
    AppPathInputs homeless = inputs();
    homeless.home.clear();
    EXPECT_EQ(resolveAppPath(homeless).path, bin());
}

TEST(AppPathRule, TheTestProgramInTheBuildTreeKeepsItsOwnDirectory) {
    qunsetenv("VORNAP_HOME");
    const DefaultAppPath here;
    EXPECT_EQ(here.path(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
    EXPECT_FALSE(here.layout().installed());
}

TEST_F(InstalledCopy, FirstStartLinksTheShippedDataAndCopiesTheCache) {
    const AppPathLayout layout = resolveAppPath(inputs());
    ASSERT_TRUE(prepareUserAppPath(layout));
    const QString user = layout.path;

    // The shipped skins are read where they were installed and usable as skins.
    for (const char* skin : {"Base", "Walnut"}) {
        const QFileInfo link(user + "/Skins/" + skin);
        EXPECT_TRUE(link.isSymLink()) << skin;
        EXPECT_EQ(link.symLinkTarget(), shipped() + "/Skins/" + skin);
        EXPECT_TRUE(isUsableSkin(user + "/Skins/" + skin + "/"));
    }
    EXPECT_EQ(test::readFile(user + "/vornap_help.html"), "<html>help</html>");
    DriveTableServices services(
        std::make_shared<DriveTable>(DriveTable::Options{user, false, user + "/Demo"}));

    // The cache is the user's own folder: the shipped entry answers from it
    // without any network, and it takes new entries.
    const QFileInfo entry(user + "/CDDB/misc/" + discId);
    EXPECT_FALSE(entry.isSymLink());
    EXPECT_FALSE(QFileInfo(user + "/CDDB/misc").isSymLink());
    EXPECT_TRUE(entry.isWritable());
    MemoryRegistry registry;
    LookupSettings offline;
    offline.musicBrainzUrl = "http://127.0.0.1:1";
    FreeDbLookup lookup(services, registry, user, offline);
    lookup.setServerName("127.0.0.1:1");
    ASSERT_EQ(lookup.GetDiscID("D:\\"), discId);
    ASSERT_EQ(lookup.QueryDisc(discId), 1);
    EXPECT_EQ(lookup.DiscArtist(), "Shipped Band");
}

TEST_F(InstalledCopy, LaterStartsKeepTheUsersOwnThingsAndFollowTheShippedData) {
    AppPathLayout layout = resolveAppPath(inputs());
    ASSERT_TRUE(prepareUserAppPath(layout));
    const QString user = layout.path;

    // The user's own Base replaces the link, an edited cache entry and a skin
    // folder of their own stay as they are.
    QFile::remove(user + "/Skins/Base");
    ASSERT_TRUE(test::copySkin(test::builtSkinDir("Walnut"), user + "/Skins/Base"));
    ASSERT_TRUE(test::copySkin(test::builtSkinDir("Base"), user + "/Skins/Mine"));
    writeText(user + "/CDDB/misc/" + discId, "edited");
    ASSERT_TRUE(prepareUserAppPath(layout));
    EXPECT_FALSE(QFileInfo(user + "/Skins/Base").isSymLink());
    EXPECT_EQ(test::readFile(user + "/Skins/Base/Colors.txt"),
              test::readFile(test::builtSkinDir("Walnut") + "Colors.txt"));
    EXPECT_TRUE(isUsableSkin(user + "/Skins/Mine/"));
    EXPECT_EQ(test::readFile(user + "/CDDB/misc/" + discId), "edited");

    // The installed tree moves (a new prefix) and a skin is no longer
    // shipped: the links follow, the one left dangling goes.
    const QString moved = root.filePath("other/vornap");
    QDir().mkpath(root.filePath("other"));
    ASSERT_TRUE(QDir().rename(shipped(), moved));
    ASSERT_TRUE(QDir(moved + "/Skins/Walnut").removeRecursively());
    layout.shipped = moved;
    ASSERT_TRUE(prepareUserAppPath(layout));
    EXPECT_EQ(QFileInfo(user + "/Demo").symLinkTarget(), moved + "/Demo");
    EXPECT_EQ(QFileInfo(user + "/vornap_help.html").symLinkTarget(), moved + "/vornap_help.html");
    EXPECT_FALSE(QFileInfo(user + "/Skins/Walnut").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(user + "/Skins/Walnut"));
    EXPECT_TRUE(QFileInfo(user + "/Skins/Mine").isDir());

    // A file where the folder should be is reported.
    QDir(user).removeRecursively();
    writeText(user, "a file where the folder should be");
    EXPECT_FALSE(prepareUserAppPath(layout));
}

TEST(DemoOptions, AFirstStartPlaysTheDemoDiscAndLooksItUpWithoutTouchingAnExistingFile) {
    test::AppFixture f;
    ASSERT_TRUE(seedDemoOptions(f.dir.path()));
    CheckOptions(f.app);
    EXPECT_EQ(f.app.v.sPlayOnStart, "1");
    EXPECT_EQ(f.app.v.sUseCDDB, "1");
    EXPECT_EQ(f.app.v.sCDDBOnStart, "1");
    EXPECT_EQ(f.app.v.sCDDrive, "");
    EXPECT_EQ(f.app.v.sIconNum, "102");

    f.app.v.sPlayOnStart = "0";
    SaveOptions(f.app);
    const QByteArray saved = test::readFile(optionsFilePath(f.app));
    ASSERT_TRUE(seedDemoOptions(f.dir.path()));
    EXPECT_EQ(test::readFile(optionsFilePath(f.app)), saved);
}
