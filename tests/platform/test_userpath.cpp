#include "platform/process.h"
#include "platform/userdata.h"
#include "support/files.h"
#include "support/skins.h"

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
// <prefix>/share/vornap with skins, a demo folder, help and a lookup cache.
struct InstalledCopy : ::testing::Test {
    void SetUp() override {
        QDir().mkpath(bin());
        QDir().mkpath(shipped() + "/Demo");
        for (const char* skin : {"Base", "Walnut"})
            ASSERT_TRUE(test::installSkin(shipped(), skin));
        writeText(shipped() + "/vornap_help.html", "<html>help</html>");
        writeText(shipped() + "/CDDB/misc/" + discId, "# xmcd\n");
    }

    QString bin() const { return root.filePath("prefix/bin"); }
    QString shipped() const { return root.filePath("prefix/share/vornap"); }
    QString home() const { return root.filePath("home"); }
    AppPathInputs inputs() const { return {{}, bin(), {}, home(), "../share/vornap"}; }

    QTemporaryDir root;
    const QString discId = "0a00b202";
};

} // namespace

// The build tree, run with $VORNAP_HOME or without, is what every sound and
// window script starts; the installed program the install script's.
TEST_F(InstalledCopy, RunsFromThePerUserDataHomeUnlessTheProgramHasItsOwnData) {
    const QString user = home() + "/.local/share/vornap";
    const std::vector<std::tuple<const char*, std::function<void(AppPathInputs&)>, QString>> rows{
        {"XDG data home", [&](auto& in) { in.dataHome = root.filePath("data"); },
         root.filePath("data/vornap")},
        {"relative XDG path ignored", [](auto& in) { in.dataHome = "relative/data"; }, user},
        {"no home to write to", [](auto& in) { in.home.clear(); }, bin() + " (portable)"},
    };
    for (const auto& [name, change, path] : rows) {
        SCOPED_TRACE(name);
        AppPathInputs in = inputs();
        change(in);
        const AppPathLayout layout = resolveAppPath(in);
        EXPECT_EQ((layout.path + (layout.installed() ? "" : " (portable)")).toStdString(),
                  path.toStdString());
        EXPECT_EQ(layout.shipped, layout.installed() ? QDir::cleanPath(shipped()) : QString());
    }
}

TEST_F(InstalledCopy, StartsLinkTheShippedDataCopyTheCacheAndKeepTheUsersOwnThings) {
    AppPathLayout layout = resolveAppPath(inputs());
    ASSERT_TRUE(prepareUserAppPath(layout));
    const QString user = layout.path;
    for (const char* skin : {"Base", "Walnut"})
        EXPECT_EQ(QFileInfo(user + "/Skins/" + skin).symLinkTarget(), shipped() + "/Skins/" + skin);
    EXPECT_EQ(test::readFile(user + "/vornap_help.html"), "<html>help</html>");
    // The cache is the user's own folder, so it takes new entries.
    EXPECT_FALSE(QFileInfo(user + "/CDDB/misc").isSymLink());
    EXPECT_TRUE(QFileInfo(user + "/CDDB/misc/" + discId).isWritable());
    // The demo's first-run options never replace the user's.
    writeText(user + "/VornapOptions.dat", "the user's");
    ASSERT_TRUE(seedDemoOptions(user));
    EXPECT_EQ(test::readFile(user + "/VornapOptions.dat"), "the user's");

    // The user's own Base replaces the link, an edited cache entry and a skin
    // folder of their own stay as they are.
    QFile::remove(user + "/Skins/Base");
    for (const char* mine : {"/Skins/Base/Colors.txt", "/Skins/Mine/Colors.txt"})
        writeText(user + mine, "mine");
    writeText(user + "/CDDB/misc/" + discId, "edited");
    // The installed tree moves (a new prefix) and a skin is no longer
    // shipped: the links follow, the one left dangling goes.
    const QString moved = root.filePath("other/vornap");
    QDir().mkpath(root.filePath("other"));
    ASSERT_TRUE(QDir().rename(shipped(), moved));
    ASSERT_TRUE(QDir(moved + "/Skins/Walnut").removeRecursively());
    layout.shipped = moved;
    ASSERT_TRUE(prepareUserAppPath(layout));
    for (const char* mine : {"/Skins/Base/Colors.txt", "/Skins/Mine/Colors.txt"})
        EXPECT_EQ(test::readFile(user + mine), "mine");
    EXPECT_EQ(test::readFile(user + "/CDDB/misc/" + discId), "edited");
    EXPECT_EQ(QFileInfo(user + "/Demo").symLinkTarget(), moved + "/Demo");
    EXPECT_EQ(QFileInfo(user + "/vornap_help.html").symLinkTarget(), moved + "/vornap_help.html");
    EXPECT_FALSE(QFileInfo(user + "/Skins/Walnut").isSymLink());

    // A file where the folder should be is reported.
    QDir(user).removeRecursively();
    writeText(user, "a file where the folder should be");
    EXPECT_FALSE(prepareUserAppPath(layout));
}
