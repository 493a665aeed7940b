#include "app/fatal.h"
#include "options/options.h"
#include "support/apptest.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vornap;
using namespace vornap::test;

namespace {

const char* const kSaved =
    "\"//CD-ROM Drives in Computer\",\"D:\\E:\\\",\"//CD-ROM Drive to Use\",\"D:\\\","
    "\"//Play On Startup\",\"1\",\"//Skin Directory\",\"C:\\Vornap\\Skins\\Base\\\","
    "\"//Use CDDB\",\"0\",\"//Activate CDDB on Startup\",\"0\",\"//CDDB Server\",\"\","
    "\"//Email Address for CDDB\",\"\",\"//Timer Setting (0=Bwd 1=Fwd)\",\"1\","
    "\"//System Tray Only\",\"0\",\"//IconNum\",\"102\"\r\n";

QStringList valuesOf(const Variables& v) {
    return {v.sCDDrives,     v.sCDDrive,     v.sPlayOnStart, v.sSkinDir,
            v.sUseCDDB,      v.sCDDBOnStart, v.sCDDBServer,  v.sCDDBEmail,
            v.sTimerSetting, v.sSysTrayOnly, v.sIconNum};
}

struct OptionsFile : ::testing::Test, AppFixture {
    QString file() const { return path("VornapOptions.dat"); }
    void write(const QByteArray& bytes) { writeFile(file(), bytes); }
    QByteArray contents() const { return readFile(file()); }
    QStringList values() const { return valuesOf(app.v); }
};

const QStringList kDefaults{"", "", "0", "", "0", "0", "gnudb.gnudb.org", "", "1", "0", "102"};
const QStringList kExampleValues{
    "D:\\E:\\", "D:\\", "1", "C:\\Vornap\\Skins\\Base\\", "0", "0", "", "", "1", "0", "102"};

} // namespace

// One field per line with any line end, other comments, blanks around fields, an unquoted
// number: the same values, written back as the one line.
TEST_F(OptionsFile, ReadsEveryLayoutByPositionAndWritesTheOneLineBack) {
    for (const char* end : {",", "\r\n", "\n", "\r"}) {
        QByteArray bytes = QByteArray(kSaved).replace(",\"1\",\"//System", ", 1 ,\"//System");
        bytes.replace("\",\"", QByteArray("\"") + end + '"');
        write(bytes.replace("\"//Play On Startup\"", "  \"x\" "));
        CheckOptions(app);
        EXPECT_EQ(values(), kExampleValues) << bytes.constData();
        SaveOptions(app);
        EXPECT_EQ(contents(), QByteArray(kSaved));
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(OptionsFile, AnUnreadableFileOrAMissingDirectoryEndsTheProgramWithTheTag) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("VornapOptions.dat"));
    EXPECT_THROW(CheckOptions(app), ProcessEnded);
    EXPECT_EQ(tp.messageBox->boxes.at(0).text, "Path/File access error\rCheckOptions_02");
    TestPlatform other(dir.filePath("no/such/dir"));
    Application elsewhere(other.platform);
    EXPECT_THROW(CheckOptions(elsewhere), ProcessEnded);
    EXPECT_EQ(other.messageBox->boxes.at(0).text, "Path not found\rCheckOptions_02");
}

// A file cut short (by a full disk, or by hand) keeps what it holds; the
// items it lost read as a new file has them, and the next save writes them.
// A missing file (-1) is created with all of them.
TEST_F(OptionsFile, AFileCutShortKeepsWhatItHoldsAndTheRestReadsAsNew) {
    const QList<QByteArray> fields = QByteArray(kSaved).trimmed().split(',');
    for (int kept : {-1, 21, 20, 7, 0}) {
        SCOPED_TRACE(kept);
        kept < 0 ? void(QFile::remove(file())) : write(fields.mid(0, kept).join(',') + "\r\n");
        QStringList expected;
        for (int item = 0; item < 11; ++item)
            expected << (2 * item + 1 < kept ? kExampleValues[item] : kDefaults[item]);
        CheckOptions(app);
        EXPECT_EQ(values(), expected);
        EXPECT_EQ(storedDriveToUse(app), expected[1]);
        EXPECT_EQ(storedEmailAddress(app), expected[7]);
        SaveOptions(app);
        EXPECT_EQ(contents().count("\",\""), 21) << "a whole record";
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(OptionsFile, SavingReplacesTheFileWholeInsteadOfRewritingItInPlace) {
    write(kSaved);
    CheckOptions(app);
    // A second name for the old file keeps what it held: the new record went
    // to another file that was renamed over the name.
    ASSERT_EQ(::link(QFile::encodeName(file()), QFile::encodeName(path("before.dat"))), 0);
    app.v.sCDDrive = QStringLiteral("G:\\");
    SaveOptions(app);
    EXPECT_EQ(readFile(path("before.dat")), QByteArray(kSaved));
    EXPECT_TRUE(contents().contains("\"//CD-ROM Drive to Use\",\"G:\\\""));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

// A quote followed by a comma used to end the field early, so every option
// after it moved one place on and the icon number was lost.
TEST_F(OptionsFile, AQuoteInAValueNeverShiftsTheOptionsAfterIt) {
    CheckOptions(app);
    Variables& v = app.v;
    v.sSkinDir = path("Odd \"Skins\", Two") + '/';
    v.sCDDBEmail = QStringLiteral("joe\",\"x@example.org");
    v.sTimerSetting = QStringLiteral("0");
    v.sIconNum = QStringLiteral("104");
    SaveOptions(app);
    QStringList expected = values();
    for (QString& value : expected)
        value.remove(u'"');

    Application again(tp.platform);
    CheckOptions(again);
    EXPECT_EQ(valuesOf(again.v), expected);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
