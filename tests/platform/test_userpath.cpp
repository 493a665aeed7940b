#include "freedb/freedblookup.h"
#include "options/options.h"
#include "platform/discimage/discimage.h"
#include "platform/drives/drivetable.h"
#include "platform/memoryregistry.h"
#include "platform/process.h"
#include "platform/userdata.h"
#include "skins/skinfiles.h"
#include "support/files.h"
#include "support/skins.h"

#include <QCoreApplication>
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
        for (const char* skin : {"Base", "Walnut"})
            ASSERT_TRUE(test::copySkin(test::builtSkinDir(skin), shipped() + "/Skins/" + skin));
        QDir().mkpath(shipped() + "/Demo");
        ASSERT_TRUE(discimage::writeBinCue(
            {{discimage::TrackSpec::audio(300), discimage::TrackSpec::audio(450)}},
            shipped() + "/Demo/Demo.cue"));
        writeText(shipped() + "/vornap_help.html", "<html>help</html>");
        DriveTableServices toc(
            std::make_shared<DriveTable>(DriveTable::Options{{}, false, shipped() + "/Demo"}));
        MemoryRegistry registry;
        discId = FreeDbLookup(toc, registry, {}).GetDiscID("D:\\");
        writeText(shipped() + "/CDDB/misc/" + discId,
                  "# xmcd\n#\nDISCID=" + discId.toLatin1() +
                      "\nDTITLE=Shipped Band / Shipped Album\nTTITLE0=One\nTTITLE1=Two\n");
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
    const QString user = home() + "/.local/share/vornap", mine = root.filePath("mine");
    struct Row {
        const char* name;
        std::function<void(AppPathInputs&)> change;
        QString path, shipped;
        bool installed;
    };
    const std::vector<Row> rows{
        {"installed", [](auto&) {}, user, shipped(), true},
        {"XDG data home", [&](auto& in) { in.dataHome = root.filePath("data"); },
         root.filePath("data/vornap"), shipped(), true},
        {"relative XDG path ignored", [](auto& in) { in.dataHome = "relative/data"; }, user,
         shipped(), true},
        // $VORNAP_HOME without skins of its own gets the shipped data linked in.
        {"VORNAP_HOME", [&](auto& in) { in.vornapHome = mine + '/'; }, mine, shipped(), true},
        {"VORNAP_HOME with skins",
         [&](auto& in) { QDir().mkpath(mine + "/Skins"), in.vornapHome = mine; },
         mine,
         {},
         false},
        {"no home to write to", [](auto& in) { in.home.clear(); }, bin(), {}, false},
        // A copy of the program directory (as the build tree is) stays portable
        // even beside an installed tree.
        {"portable", [&](auto&) { QDir().mkpath(bin() + "/Skins"); }, bin(), {}, false},
        {"portable, VORNAP_HOME", [&](auto& in) { in.vornapHome = root.filePath("fresh"); },
         root.filePath("fresh"), bin(), true},
        {"no skins anywhere",
         [&](auto&) { QDir(bin()).removeRecursively(), QDir(shipped()).removeRecursively(); },
         bin(),
         {},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AppPathInputs in = inputs();
        row.change(in);
        const AppPathLayout layout = resolveAppPath(in);
        EXPECT_EQ((layout.path + " | " + layout.shipped).toStdString(),
                  (row.path + " | " + QDir::cleanPath(row.shipped)).toStdString());
        EXPECT_EQ(layout.installed(), row.installed);
    }
    // The test program in the build tree keeps its own directory.
    qunsetenv("VORNAP_HOME");
    EXPECT_EQ(DefaultAppPath().path(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
}

TEST_F(InstalledCopy, StartsLinkTheShippedDataCopyTheCacheAndKeepTheUsersOwnThings) {
    AppPathLayout layout = resolveAppPath(inputs());
    ASSERT_TRUE(prepareUserAppPath(layout));
    const QString user = layout.path;
    for (const char* skin : {"Base", "Walnut"}) {
        EXPECT_EQ(QFileInfo(user + "/Skins/" + skin).symLinkTarget(), shipped() + "/Skins/" + skin);
        EXPECT_TRUE(isUsableSkin(user + "/Skins/" + skin + "/"));
    }
    EXPECT_EQ(test::readFile(user + "/vornap_help.html"), "<html>help</html>");
    // The cache is the user's own folder: the shipped entry answers from it
    // without any network, and it takes new entries.
    EXPECT_FALSE(QFileInfo(user + "/CDDB/misc").isSymLink());
    EXPECT_TRUE(QFileInfo(user + "/CDDB/misc/" + discId).isWritable());
    DriveTableServices services(
        std::make_shared<DriveTable>(DriveTable::Options{user, false, user + "/Demo"}));
    MemoryRegistry registry;
    LookupSettings offline;
    offline.musicBrainzUrl = "http://127.0.0.1:1";
    FreeDbLookup lookup(services, registry, user, offline);
    lookup.setServerName("127.0.0.1:1");
    ASSERT_EQ(lookup.QueryDisc(lookup.GetDiscID("D:\\")), 1);
    EXPECT_EQ(lookup.DiscArtist(), "Shipped Band");
    // The demo's first-run options never replace the user's.
    writeText(user + "/VornapOptions.dat", "the user's");
    ASSERT_TRUE(seedDemoOptions(user));
    EXPECT_EQ(test::readFile(user + "/VornapOptions.dat"), "the user's");

    // The user's own Base replaces the link, an edited cache entry and a skin
    // folder of their own stay as they are.
    QFile::remove(user + "/Skins/Base");
    ASSERT_TRUE(test::copySkin(test::builtSkinDir("Walnut"), user + "/Skins/Base"));
    ASSERT_TRUE(test::copySkin(test::builtSkinDir("Base"), user + "/Skins/Mine"));
    writeText(user + "/CDDB/misc/" + discId, "edited");
    // The installed tree moves (a new prefix) and a skin is no longer
    // shipped: the links follow, the one left dangling goes.
    const QString moved = root.filePath("other/vornap");
    QDir().mkpath(root.filePath("other"));
    ASSERT_TRUE(QDir().rename(shipped(), moved));
    ASSERT_TRUE(QDir(moved + "/Skins/Walnut").removeRecursively());
    layout.shipped = moved;
    ASSERT_TRUE(prepareUserAppPath(layout));
    EXPECT_EQ(test::readFile(user + "/Skins/Base/Colors.txt"),
              test::readFile(test::builtSkinDir("Walnut") + "Colors.txt"));
    EXPECT_TRUE(isUsableSkin(user + "/Skins/Mine/"));
    EXPECT_EQ(test::readFile(user + "/CDDB/misc/" + discId), "edited");
    EXPECT_EQ(QFileInfo(user + "/Demo").symLinkTarget(), moved + "/Demo");
    EXPECT_EQ(QFileInfo(user + "/vornap_help.html").symLinkTarget(), moved + "/vornap_help.html");
    EXPECT_FALSE(QFileInfo(user + "/Skins/Walnut").isSymLink());

    // A file where the folder should be is reported.
    QDir(user).removeRecursively();
    writeText(user, "a file where the folder should be");
    EXPECT_FALSE(prepareUserAppPath(layout));
}
