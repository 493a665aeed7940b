#include "cd/drives.h"
#include "options/options.h"
#include "playerfixture.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <functional>

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
    struct Row {
        QString entry, time;
        int tracks;
        bool inDrive;
    };
    for (const Row& r :
         {Row{"E:\\ - Album Unknown", "0:00", 3, true}, Row{"F:\\ - Data CD", "Data CD", 3, false},
          Row{"H:\\ - Album Unknown", "0:00", 7, true}, Row{"G:\\ - No CD", "No CD", 0, false}}) {
        SCOPED_TRACE(r.entry.toStdString());
        f->cboCDDrive_DropDown();
        EXPECT_FALSE(f->cboCDDrive->locked());
        f->cboCDDrive->setCurrentIndex(f->cboCDDrive->findText(r.entry));
        f->cboCDDrive->setText(r.entry);
        f->cboCDDrive_Click();
        EXPECT_EQ(storedDriveToUse(app), r.entry.left(3));
        EXPECT_EQ(f->lblTime->text(), r.time);
        EXPECT_EQ(f->cboCurrentTrack->count(), r.tracks);
        EXPECT_EQ(app.v.bCDInDrive, r.inDrive);
        EXPECT_EQ(f->cboCDDrive->locked(), r.time != "Data CD");
    }
    insert('G', audioDisc({3, 3}));
    tick();
    EXPECT_EQ(f->lblTotTracks->text(), "2");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
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
    const auto wheel = [](QWidget* box, int delta) {
        const QPointF at(box->width() / 2.0, box->height() / 2.0);
        QWheelEvent event(at, box->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &event);
    };
    const std::vector<std::function<void(QWidget*)>> moves{
        [&](QWidget* box) { wheel(box, -120); }, [&](QWidget* box) { wheel(box, 120); },
        [](QWidget* box) { QTest::keyClick(box, Qt::Key_Down); },
        [](QWidget* box) { QTest::keyClick(box, Qt::Key_Up); },
        [](QWidget* box) { QTest::keyClick(box, Qt::Key_Return); }};
    for (std::size_t i = 0; i < moves.size(); ++i) {
        for (LockableComboBox* box : {f->cboCDDrive, f->cboCurrentTrack}) {
            box->setFocus();
            moves[i](box);
        }
        EXPECT_EQ(f->cboCDDrive->text(), driveText) << i;
        EXPECT_EQ(app.v.iCurrentTrack, 1) << i;
        EXPECT_EQ(f->cboCurrentTrack->text(), "1") << i;
    }
    EXPECT_EQ(readFile(dir.filePath("VornapOptions.dat")), options);
    // Unlocked by its drop-down, the track box takes the keys again.
    f->cboCurrentTrack->showPopup();
    f->cboCurrentTrack->hidePopup();
    QTest::keyClick(f->cboCurrentTrack, Qt::Key_Down);
    EXPECT_EQ(app.v.iCurrentTrack, 2);
}
