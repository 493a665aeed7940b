#include "faults/oslimits.h"
#include "faults/robustnessrow.h"
#include "options/options.h"
#include "support/apptest.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct SaveFailure : ::testing::Test, AppFixture {
    SaveFailure() {
        form();
        app.cd = &form();
        CheckOptions(app); // the first run writes the defaults
        app.v.sCDDrive = QStringLiteral("E:\\");
        app.v.sCDDBEmail = QStringLiteral("me@example.org");
        SaveOptions(app);
        before = contents();
        app.v.sCDDrive = QStringLiteral("G:\\");
        app.v.sCDDBEmail = QStringLiteral("someone.else@example.org");
    }
    QString file() const { return path("VornapOptions.dat"); }
    QByteArray contents() const { return readFile(file()); }
    // The file holds what it held, nothing was left beside it, the box said
    // so once and the player goes on with the values in memory.
    void expectKeptAndReported(const QString& description) {
        EXPECT_EQ(contents(), before);
        EXPECT_EQ(QDir(dir.path()).entryList({"*.dat*", "*VornapOptions*"}, QDir::Files),
                  QStringList{"VornapOptions.dat"});
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text, saveFailureText(app, description));
        EXPECT_TRUE(tp.messageBox->boxes[0].text.contains(QDir::toNativeSeparators(file())));
        EXPECT_EQ(tp.messageBox->boxes[0].caption, "Vornap");
        EXPECT_EQ(app.v.sCDDrive, "G:\\");
        CheckOptions(app);
        EXPECT_EQ(app.v.sCDDrive, "E:\\") << "the old file reads as before";
        EXPECT_EQ(app.v.sCDDBEmail, "me@example.org");
    }
    QByteArray before;
};

} // namespace

TEST_F(SaveFailure, AReadOnlyDirectoryKeepsTheOldFileAndTellsTheUser) {
    const RobustnessRow row("Options directory read-only at save time",
                            "The old options file stays whole, a message box says the "
                            "settings were not saved, the player goes on");
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    {
        const AsOrdinaryUser user;
        if (!user.active()) {
            ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
            GTEST_SKIP() << "root here cannot act as an ordinary user";
        }
        EXPECT_NO_THROW(SaveOptions(app));
    }
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    expectKeptAndReported("Permission denied");
}

TEST_F(SaveFailure, AFullDiskKeepsTheOldFileAndTellsTheUser) {
    const RobustnessRow row("Disk full while the options file is saved",
                            "The old options file stays whole, the partial new one is "
                            "removed, a message box says the settings were not saved");
    {
        const FileSizeLimit full(before.size() / 2);
        EXPECT_NO_THROW(SaveOptions(app));
    }
    expectKeptAndReported("Disk full");
    // Once there is room again the next save writes the values in memory.
    app.v.sCDDrive = QStringLiteral("G:\\");
    SaveOptions(app);
    EXPECT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_TRUE(contents().contains("\"//CD-ROM Drive to Use\",\"G:\\\""));
}
