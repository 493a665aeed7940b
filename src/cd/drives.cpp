#include "cd/drives.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "cd/discloading.h"
#include "cd/mcicommands.h"
#include "options/options.h"

namespace vornap {

namespace {

const QString kAlbumUnknown = QStringLiteral(" - Album Unknown");
const QString kDataCD = QStringLiteral(" - Data CD");
const QString kNoCD = QStringLiteral(" - No CD");

// Adding to an empty list makes the first entry current and shows it as the
// box's text; the drive box's text is set only where the procedure says so.
void addEntry(LockableComboBox* box, const QString& entry) {
    const QString text = box->text();
    box->addItem(entry);
    box->setText(text);
}

void renameCurrentEntry(LockableComboBox* box) {
    const QString text = box->text();
    QStringList entries;
    int noted = 0;
    for (int i = 0; i < box->count(); ++i) {
        entries << box->itemText(i);
        if (entries.back().left(1) == text.left(1))
            noted = i;
    }
    box->clear();
    for (int i = 0; i < entries.size(); ++i)
        addEntry(box, i == noted ? text : entries[i]);
    box->setText(text);
}

bool mediaPresent(const FixedString<30>& answer) {
    return answer.left(4) == QLatin1String("true");
}

} // namespace

void GetDriveType(Application& app) {
    Variables& v = app.v;
    frmCD& f = *app.cd;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("GetDriveType_01");
        if (v.bRenameDrive) {
            renameCurrentEntry(f.cboCDDrive);
            v.bRenameDrive = false;
            return;
        }

        v.ErrorTag = QStringLiteral("GetDriveType_02");
        QString driveList;
        const auto isCdDrive = [&app](const QString& root) {
            return root.size() == 3 && root.mid(1) == QLatin1String(":\\") &&
                   app.platform.driveTypes->getDriveType(mcicmd::ascii(root)) ==
                       platform::DriveTypes::cdrom;
        };
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const QString root = QString(QChar(letter)) + QStringLiteral(":\\");
            if (isCdDrive(root)) {
                const String stored = storedDriveToUse(app);
                v.ErrorTag = QStringLiteral("GetDriveType_03");
                // A stored drive the machine lacks (a damaged options file)
                // counts as none stored.
                if (!isCdDrive(stored)) {
                    v.sCDDrive = root;
                    SaveOptions(app);
                }
                driveList += root;

                mciSend(app, mcicmd::closeAll());
                mciSend(app, mcicmd::open(root, mcicmd::CDINFO), v.sMciAnswer);
                mciSend(app, mcicmd::statusMediaPresent(mcicmd::CDINFO), v.sMciAnswer);
                v.ErrorTag = QStringLiteral("GetDriveType_04.1");
                if (mediaPresent(v.sMciAnswer)) {
                    v.ErrorTag = QStringLiteral("GetDriveType_04.1.1");
                    if (root == v.sCDDrive) {
                        v.ErrorTag = QStringLiteral("GetDriveType_04.1.2");
                        CheckCDContents(app, root);
                        v.ErrorTag = QStringLiteral("GetDriveType_04.2");
                        const QString entry = root + (v.bAudioCD ? kAlbumUnknown : kDataCD);
                        addEntry(f.cboCDDrive, entry);
                        f.cboCDDrive->setText(entry);
                    } else {
                        v.ErrorTag = QStringLiteral("GetDriveType_04.3");
                        CheckCDContents(app, root);
                        addEntry(f.cboCDDrive, root + (v.bAudioCD ? kAlbumUnknown : kDataCD));
                    }
                    v.ErrorTag = QStringLiteral("GetDriveType_04.4");
                } else {
                    if (root == v.sCDDrive)
                        f.cboCDDrive->setText(root + kNoCD);
                    addEntry(f.cboCDDrive, root + kNoCD);
                }
            }
            v.ErrorTag = QStringLiteral("GetDriveType_04.5");
        }

        v.ErrorTag = QStringLiteral("GetDriveType_05");
        mciSend(app, mcicmd::open(v.sCDDrive, mcicmd::cd1));
        v.sCDDrives = driveList;
        SaveOptions(app);
    });
}

void CheckCDContents(Application& app, const String& driveRoot) {
    Variables& v = app.v;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("CheckCDContents_01");
        if (!v.bCDInDrive)
            return;
        // A disc taken out while its root is being read lists as empty.
        const QStringList names =
            app.platform.discRoot->listRoot(mcicmd::ascii(driveRoot)).value_or(QStringList());
        v.ErrorTag = QStringLiteral("CheckCDContents_02");
        for (const QString& name : names) {
            if (name.right(4) == QLatin1String(".cda")) {
                v.bAudioCD = true;
                break;
            }
            v.bAudioCD = false;
        }
    });
}

void frmCD::cboCDDrive_DropDown() {
    cboCDDrive->setLocked(false);
}

void frmCD::cboCDDrive_Click() {
    Variables& v = app.v;
    auto lockAndLeave = [this] {
        cboCDDrive->setLocked(true);
        cboSetFocus->setFocus();
    };
    if (cboCDDrive->text().left(3) == v.sCDDrive) {
        lockAndLeave();
        return;
    }

    // The drive left behind must not go on sounding under the new one's display.
    mciSend(app, mcicmd::stopWait());
    standStopped();

    mciSend(app, mcicmd::closeAll());
    v.bCDInDrive = false;
    // The disc left behind is not this drive's: a lookup must not name it.
    v.sDiscId.clear();
    v.sCDDrive = cboCDDrive->text().left(3);
    SaveOptions(app);
    mciSend(app, mcicmd::open(v.sCDDrive, mcicmd::cd1));
    mciSend(app, mcicmd::statusMediaPresent(mcicmd::cd1), v.sMciAnswer);

    if (!mediaPresent(v.sMciAnswer)) {
        lblTime->setText(QStringLiteral("No CD"));
        lblArtist->setText(QString());
        lblAlbum->setText(QString());
        lblTotTrackTime->setText(QString());
        lblTotTracks->setText(QString());
        sLastDriveText = cboCDDrive->text();
        cboCDDrive->setText(sLastDriveText.left(3) + kNoCD);
        cboCurrentTrack->clear();
        v.bCDInDrive = false;
        lockAndLeave();
        return;
    }

    // The disc was just found present: let it be classified, as the start-up
    // scan does, instead of keeping the previous disc's answer.
    v.bCDInDrive = true;
    CheckCDContents(app, v.sCDDrive);
    v.bCDInDrive = false;
    if (!v.bAudioCD) {
        lblTime->setText(QStringLiteral("Data CD"));
        lblAlbum->setText(QString());
        lblArtist->setText(QString());
        lblTotTracks->setText(QString());
        lblTotTrackTime->setText(QString());
        return;
    }
    lblTime->setText(QStringLiteral("Loading..."));
    v.bLoadCD = true;
    v.bCDInDrive = true;
    GetCDInfo(app);
    v.bDeleteMenuItems = true;
    v.bLoadMenuItems = true;
    lockAndLeave();
}

} // namespace vornap
