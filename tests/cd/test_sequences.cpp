#include "cd/drives.h"
#include "cdfixture.h"

using namespace vornap;
using namespace vornap::test;

using Commands = std::vector<std::string>;

TEST_F(CdUnit, AWatcherTickProbesThenReadsThePositions) {
    disc(3);
    app.v.bCDInDrive = true;
    app.v.iCurrentTrack = 2;
    reply("status CDCheck media present wait", "true");
    reply("status cd1 position", "5000");
    reply("status cd1 position track 3", "9000");
    reply("status cd1 length", "30000");
    f->tmrCDCheck_Timer();
    EXPECT_EQ(sent(), (Commands{"close all", "open D:\\ type cdaudio alias CDCheck wait shareable",
                                "status CDCheck media present wait", "close all",
                                "open D:\\ type cdaudio alias cd1 wait shareable",
                                "set cd1 time format milliseconds", "status cd1 position",
                                "status cd1 position track 3", "status cd1 length",
                                "set cd1 time format tmsf"}));
    EXPECT_EQ(f->sMediaPresent, "true");
}

TEST_F(CdUnit, OnlyAnAnswerStartingWithLowerCaseTrueIsADisc) {
    app.v.bCDInDrive = true;
    reply("status CDCheck media present wait", "TRUE");
    f->tmrCDCheck_Timer();
    EXPECT_FALSE(app.v.bCDInDrive);
    const Commands commands = sent();
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[5], "close cd1");
    f->tmrCDCheck_Timer();
    EXPECT_EQ(sent().size(), 5u) << "cd1 is closed once, on removal";
}

TEST_F(CdUnit, TheDriveScanProbesEachCdDriveAndOpensTheDriveInUse) {
    writeOptionsFile(dir.path(), {});
    app.v.sHdrCDDrives = "//CD-ROM Drives in Computer"; // as CheckOptions leaves them
    types->cdDrives = {"E:\\", "G:\\"};
    reply("status CDINFO media present", "true");
    drives->listings["E:\\"] = QStringList{"Track01.cda"};
    drives->listings["G:\\"] = QStringList{"README.TXT"};
    app.v.sCDDrive.clear();
    app.v.bCDInDrive = true; // as start-up sets it around the scan
    GetDriveType(app);
    const std::string probe = "status CDINFO media present";
    EXPECT_EQ(sent(),
              (Commands{"close all", "open E:\\ type cdaudio alias CDINFO wait shareable", probe,
                        "close all", "open G:\\ type cdaudio alias CDINFO wait shareable", probe,
                        "open E:\\ type cdaudio alias cd1 wait shareable"}));
    EXPECT_EQ(app.v.ErrorTag, "SaveOptions_01");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Album Unknown");
    EXPECT_EQ(f->cboCDDrive->itemText(1), "G:\\ - Data CD");
}

TEST_F(CdUnit, AFailureInTheScanNamesItsStep) {
    // No options file: the partial reader fails. The last tag set is the one
    // the letter before left.
    types->cdDrives = {"E:\\"};
    EXPECT_THROW(GetDriveType(app), ProcessEnded);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text, "File not found\rGetDriveType_04.5");
}
