#include "cd/drives.h"
#include "options/options.h"
#include "playerfixture.h"

using namespace vornap;
using namespace vornap::test;

TEST_F(Player, FirstRunWithDrivesEAndGTakesTheFirstDriveFound) {
    drive('E');
    drive('G');
    insert('G', audioDisc({3, 3}));
    load(); // no options file: the first run creates it
    EXPECT_EQ(entries(f->cboCDDrive), (QStringList{"E:\\ - No CD", "G:\\ - Album Unknown"}));
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - No CD");
    EXPECT_EQ(app.v.sCDDrive, "E:\\");
    EXPECT_EQ(app.v.sCDDrives, "E:\\G:\\");
    EXPECT_EQ(storedDriveToUse(app), "E:\\");
    app.v.sCDDrives.clear();
    CheckOptions(app);
    EXPECT_EQ(app.v.sCDDrives, "E:\\G:\\");
    EXPECT_EQ(app.v.sCDDBServer, "gnudb.gnudb.org");
    EXPECT_TRUE(tp.messageBox->boxes.empty());

    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_FALSE(app.v.bCDInDrive);
}

TEST_F(Player, TheScanClassifiesEveryDriveAndShowsTheDriveInUse) {
    drive('D');
    drive('E');
    drive('F');
    insert('D', dataDisc());
    insert('F', audioDisc({3}));
    writeOptions({.drive = "F:\\"});
    load();
    EXPECT_EQ(entries(f->cboCDDrive),
              (QStringList{"D:\\ - Data CD", "E:\\ - No CD", "F:\\ - Album Unknown"}));
    EXPECT_EQ(f->cboCDDrive->text(), "F:\\ - Album Unknown");
    EXPECT_EQ(app.v.sCDDrive, "F:\\");
    EXPECT_EQ(app.v.sCDDrives, "D:\\E:\\F:\\");
    EXPECT_TRUE(app.v.bAudioCD);
    EXPECT_FALSE(app.v.bCDInDrive) << "start-up leaves the disc to the watcher";
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(f->cboCDDrive->text(), "F:\\ - Unknown Album");
}

TEST_F(Player, AMachineWithoutCdDrivesListsNothing) {
    load();
    EXPECT_EQ(f->cboCDDrive->count(), 0);
    EXPECT_EQ(app.v.sCDDrives, "");
    EXPECT_EQ(app.v.sCDDrive, "");
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

namespace {
struct DriveChoice : Player {
    void SetUp() override {
        drive('E');
        drive('F');
        drive('G');
        insert('E', audioDisc({3, 4, 5}));
        insert('F', dataDisc());
        writeOptions({.drive = "E:\\"});
        load();
        tick();
    }
};
} // namespace

TEST_F(DriveChoice, TheDriveAlreadyInUseOnlyRelocksTheBox) {
    f->cboCDDrive_DropDown();
    EXPECT_FALSE(f->cboCDDrive->locked());
    const QStringList tracks = entries(f->cboCurrentTrack);
    choose(f->cboCDDrive, "E:\\ - Album Unknown");
    f->cboCDDrive_Click();
    EXPECT_TRUE(f->cboCDDrive->locked());
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(entries(f->cboCurrentTrack), tracks);
}

TEST_F(DriveChoice, ADataDiscShowsDataCdAndLeavesTheTrackBox) {
    f->cboCDDrive_DropDown();
    choose(f->cboCDDrive, "F:\\ - Data CD");
    f->cboCDDrive_Click();
    EXPECT_EQ(app.v.sCDDrive, "F:\\");
    EXPECT_EQ(storedDriveToUse(app), "F:\\");
    EXPECT_EQ(f->lblTime->text(), "Data CD");
    EXPECT_EQ(f->lblArtist->text(), "");
    EXPECT_EQ(f->lblTotTracks->text(), "");
    EXPECT_EQ(entries(f->cboCurrentTrack), (QStringList{"1", "2", "3"}));
    EXPECT_FALSE(app.v.bAudioCD) << "the previous disc's class does not carry over";
    EXPECT_FALSE(f->cboCDDrive->locked());
    // The watcher takes the data disc in on its next tick.
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(f->cboCDDrive->text(), "F:\\ - Data CD");
}

TEST_F(DriveChoice, AnAudioDiscIsTakenInAtOnce) {
    drive('G');
    insert('G', audioDisc({3, 3, 3, 3, 3, 3, 3}));
    choose(f->cboCDDrive, "F:\\ - Data CD");
    f->cboCDDrive_Click();
    f->cboCDDrive_DropDown();
    f->cboCDDrive->addItem("G:\\ - Album Unknown");
    choose(f->cboCDDrive, "G:\\ - Album Unknown");
    f->cboCDDrive_Click();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_FALSE(app.v.bLoadCD);
    EXPECT_EQ(f->cboCDDrive->text(), "G:\\ - Unknown Album");
    EXPECT_EQ(f->lblTotTracks->text(), "7");
    EXPECT_EQ(f->cboCurrentTrack->count(), 7);
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_TRUE(app.v.bDeleteMenuItems);
    EXPECT_TRUE(app.v.bLoadMenuItems);
    EXPECT_TRUE(f->cboCDDrive->locked());
}

TEST_F(DriveChoice, AnEmptyDriveShowsNoCdAndClearsTheTrackBox) {
    f->cboCDDrive_DropDown();
    choose(f->cboCDDrive, "G:\\ - No CD");
    f->cboCDDrive_Click();
    EXPECT_EQ(app.v.sCDDrive, "G:\\");
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_EQ(f->lblTotTrackTime->text(), "");
    EXPECT_EQ(f->sLastDriveText, "G:\\ - No CD");
    EXPECT_EQ(f->cboCDDrive->text(), "G:\\ - No CD");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0);
    EXPECT_FALSE(app.v.bCDInDrive);
    EXPECT_TRUE(f->cboCDDrive->locked());
    // A disc put into the new drive is found by the watcher.
    insert('G', audioDisc({3, 3}));
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(f->lblTotTracks->text(), "2");
}

TEST_F(Player, RenameModeRewritesOnlyTheCurrentDrivesEntry) {
    f->cboCDDrive->addItem("D:\\ - Album Unknown");
    f->cboCDDrive->addItem("E:\\ - No CD");
    f->cboCDDrive->setText("D:\\ - Artist - Album");
    app.v.bRenameDrive = true;
    GetDriveType(app);
    EXPECT_EQ(entries(f->cboCDDrive), (QStringList{"D:\\ - Artist - Album", "E:\\ - No CD"}));
    EXPECT_EQ(f->cboCDDrive->text(), "D:\\ - Artist - Album");
    EXPECT_FALSE(app.v.bRenameDrive);
}
