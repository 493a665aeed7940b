#include "cd/drives.h"
#include "options/options.h"
#include "playerfixture.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

using namespace vornap;
using namespace vornap::test;

// The scan names every drive's disc; picking from the box: the drive in use
// only relocks it, a data disc shows "Data CD", an empty drive "No CD" until a disc comes, an audio
// disc is taken in at once. The choice is saved.
TEST_F(Player, TheScanNamesEveryDriveAndTheDriveChosenFromTheBox) {
    load();
    EXPECT_EQ(f->cboCDDrive->count(), 0) << "a machine without CD drives lists nothing";
    f = std::make_unique<frmCD>(app, std::make_unique<FakeFreeDb>());
    for (char letter : {'E', 'F', 'G', 'H'})
        drive(letter);
    insert('E', audioDisc({3, 4, 5}));
    insert('F', dataDisc());
    insert('H', audioDisc({3, 3, 3, 3, 3, 3, 3}));
    writeOptions({.drive = "E:\\"});
    load();
    EXPECT_EQ(entries(f->cboCDDrive), (QStringList{"E:\\ - Album Unknown", "F:\\ - Data CD",
                                                   "G:\\ - No CD", "H:\\ - Album Unknown"}));
    tick();
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
    // The entry, then the time shown, the tracks listed and whether a disc is in.
    const std::tuple<const char*, const char*, int, bool> rows[] = {
        {"E:\\ - Album Unknown", "0:00", 3, true},
        {"F:\\ - Data CD", "Data CD", 3, false},
        {"H:\\ - Album Unknown", "0:00", 7, true},
        {"G:\\ - No CD", "No CD", 0, false}};
    for (const auto& [entry, time, tracks, inDrive] : rows) {
        SCOPED_TRACE(entry);
        f->cboCDDrive_DropDown();
        EXPECT_FALSE(f->cboCDDrive->locked());
        choose(f->cboCDDrive, entry);
        f->cboCDDrive_Click();
        EXPECT_EQ(storedDriveToUse(app), QString(entry).left(3));
        EXPECT_EQ(f->lblTime->text(), time);
        EXPECT_EQ(f->cboCurrentTrack->count(), tracks);
        EXPECT_EQ(app.v.bCDInDrive, inDrive);
        EXPECT_EQ(f->cboCDDrive->locked(), QString(time) != "Data CD");
    }
    insert('G', audioDisc({3, 3}));
    tick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// A wheel notch or an arrow key over a locked box must not pick another
// drive (which the click handler would save) or another track.
TEST_F(Player, LockedBoxesTakeNoChangeFromTheWheelOrTheKeys) {
    drive('F');
    insert('F', audioDisc({3, 3}));
    startWith(audioDisc({3, 3, 3}));
    tick();
    f->show();
    const QByteArray options = readFile(dir.filePath("VornapOptions.dat"));
    const QString driveText = f->cboCDDrive->text();
    // Wheel notches down and up, then keys.
    for (int move : {-120, 120, int(Qt::Key_Down), int(Qt::Key_Up), int(Qt::Key_Return)}) {
        for (LockableComboBox* box : {f->cboCDDrive, f->cboCurrentTrack}) {
            box->setFocus();
            const QPointF at(box->width() / 2.0, box->height() / 2.0);
            QWheelEvent wheel(at, box->mapToGlobal(at), {}, {0, move}, Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            if (std::abs(move) == 120)
                QApplication::sendEvent(box, &wheel);
            else
                QTest::keyClick(box, Qt::Key(move));
        }
        EXPECT_EQ(f->cboCDDrive->text(), driveText) << move;
        EXPECT_EQ(app.v.iCurrentTrack, 1) << move;
        EXPECT_EQ(f->cboCurrentTrack->text(), "1") << move;
    }
    EXPECT_EQ(readFile(dir.filePath("VornapOptions.dat")), options);
}
