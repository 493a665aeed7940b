#include "cd/drives.h"
#include "options/options.h"
#include "playerfixture.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <functional>

using namespace vornap;
using namespace vornap::test;

TEST_F(Player, FirstRunWithDrivesEAndGTakesTheFirstDriveFound) {
    drive('E');
    drive('G');
    insert('G', audioDisc({3, 3}));
    load(); // no options file: the first run creates it
    EXPECT_EQ(entries(f->cboCDDrive), (QStringList{"E:\\ - No CD", "G:\\ - Album Unknown"}));
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - No CD");
    EXPECT_EQ(app.v.sCDDrives, "E:\\G:\\");
    EXPECT_EQ(storedDriveToUse(app), "E:\\");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
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
    EXPECT_FALSE(app.v.bCDInDrive) << "start-up leaves the disc to the watcher";
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(f->cboCDDrive->text(), "F:\\ - Unknown Album");
}

TEST_F(Player, AMachineWithoutCdDrivesListsNothing) {
    load();
    EXPECT_EQ(f->cboCDDrive->count(), 0);
    EXPECT_EQ(app.v.sCDDrive, "");
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(Player, RenameModeRewritesOnlyTheCurrentDrivesEntry) {
    f->cboCDDrive->addItem("D:\\ - Album Unknown");
    f->cboCDDrive->addItem("E:\\ - No CD");
    f->cboCDDrive->setText("D:\\ - Artist - Album");
    app.v.bRenameDrive = true;
    GetDriveType(app);
    EXPECT_EQ(entries(f->cboCDDrive), (QStringList{"D:\\ - Artist - Album", "E:\\ - No CD"}));
    EXPECT_FALSE(app.v.bRenameDrive);
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
        f->cboCDDrive_DropDown();
    }
    void pick(const QString& entry) {
        choose(f->cboCDDrive, entry);
        f->cboCDDrive_Click();
    }
};
} // namespace

TEST_F(DriveChoice, TheDriveAlreadyInUseOnlyRelocksTheBox) {
    EXPECT_FALSE(f->cboCDDrive->locked());
    const QStringList tracks = entries(f->cboCurrentTrack);
    pick("E:\\ - Album Unknown");
    EXPECT_TRUE(f->cboCDDrive->locked());
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(entries(f->cboCurrentTrack), tracks);
}

TEST_F(DriveChoice, ADataDiscShowsDataCdThenAnAudioDiscIsTakenInAtOnce) {
    pick("F:\\ - Data CD");
    EXPECT_EQ(app.v.sCDDrive, "F:\\");
    EXPECT_EQ(storedDriveToUse(app), "F:\\");
    EXPECT_EQ(f->lblTime->text(), "Data CD");
    EXPECT_EQ(f->lblTotTracks->text(), "");
    EXPECT_EQ(entries(f->cboCurrentTrack), (QStringList{"1", "2", "3"})) << "left as it was";
    EXPECT_FALSE(app.v.bAudioCD) << "the previous disc's class does not carry over";
    EXPECT_FALSE(f->cboCDDrive->locked());

    insert('G', audioDisc({3, 3, 3, 3, 3, 3, 3}));
    f->cboCDDrive->addItem("G:\\ - Album Unknown");
    pick("G:\\ - Album Unknown");
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_FALSE(app.v.bLoadCD);
    EXPECT_EQ(f->cboCDDrive->text(), "G:\\ - Unknown Album");
    EXPECT_EQ(f->cboCurrentTrack->count(), 7);
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_TRUE(f->cboCDDrive->locked());
}

TEST_F(DriveChoice, AnEmptyDriveShowsNoCdUntilTheWatcherFindsADisc) {
    pick("G:\\ - No CD");
    EXPECT_EQ(app.v.sCDDrive, "G:\\");
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_EQ(f->lblTotTrackTime->text(), "");
    EXPECT_EQ(f->sLastDriveText, "G:\\ - No CD");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0);
    EXPECT_FALSE(app.v.bCDInDrive);
    EXPECT_TRUE(f->cboCDDrive->locked());
    insert('G', audioDisc({3, 3}));
    tick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
}

// A wheel notch or an arrow key over a locked box must not pick another
// drive (which the click handler would save) or another track.
TEST_F(Player, LockedBoxesTakeNoChangeFromTheWheelOrTheKeys) {
    drive('E');
    drive('F');
    insert('E', audioDisc({3, 3, 3}));
    insert('F', audioDisc({3, 3}));
    writeOptions({.drive = "E:\\"});
    load();
    tick();
    f->show();
    const QByteArray options = readFile(dir.filePath("VornapOptions.dat"));
    const QString driveText = f->cboCDDrive->text();
    const QString trackText = f->cboCurrentTrack->text();
    ASSERT_EQ(f->cboCurrentTrack->count(), 3);

    const auto wheel = [](QWidget* box, int delta) {
        const QPointF at(box->width() / 2.0, box->height() / 2.0);
        QWheelEvent event(at, box->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &event);
    };
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> moves{
        {"wheel down", [&](QWidget* box) { wheel(box, -120); }},
        {"wheel up", [&](QWidget* box) { wheel(box, 120); }},
        {"Down", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Down); }},
        {"Up", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Up); }},
        {"Return", [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }},
    };
    for (const auto& [name, move] : moves) {
        for (LockableComboBox* box : {f->cboCDDrive, f->cboCurrentTrack}) {
            box->setFocus();
            move(box);
        }
        EXPECT_EQ(app.v.sCDDrive, "E:\\") << name;
        EXPECT_EQ(f->cboCDDrive->text(), driveText) << name;
        EXPECT_EQ(app.v.iCurrentTrack, 1) << name;
        EXPECT_EQ(f->cboCurrentTrack->text(), trackText) << name;
    }
    EXPECT_EQ(readFile(dir.filePath("VornapOptions.dat")), options);

    // Unlocked by its drop-down, the track box takes the keys again.
    f->cboCurrentTrack->showPopup();
    f->cboCurrentTrack->hidePopup();
    QTest::keyClick(f->cboCurrentTrack, Qt::Key_Down);
    EXPECT_EQ(app.v.iCurrentTrack, 2);
}
