#include "freedb/querycddb.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "cd/drives.h"
#include "freedb/freedbcontrol.h"
#include "tray/trackmenu.h"

#include <QApplication>

namespace vornap {

namespace {

// The lookup blocks the window; the cursor says so.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QString timeText(Integer minutes, Integer seconds) {
    return CStr(minutes) + u':' + (seconds < 10 ? QStringLiteral("0") : QString()) + CStr(seconds);
}

} // namespace

void QueryCDDB(Application& app) {
    auto& v = app.v;
    frmCD& f = *app.cd;
    FreeDbControl& freedb = *f.uFREEDB1;
    auto box = [&](const QString& text, const QString& caption) {
        app.platform.messageBox->show(&f, text, caption);
    };

    guarded(app, [&] {
        freedb.setEmailAddress(v.sCDDBEmail);
        freedb.setServerName(v.sCDDBServer);

        v.ErrorTag = QStringLiteral("QueryCDDB_01");
        if (v.sDiscId.isEmpty()) {
            box(QStringLiteral("Cannot read from CD-ROM, insert a CD or restart Vornap"),
                QStringLiteral("CDDB Error"));
            v.bCDDBFound = false;
            return;
        }
        try {
            BusyCursor busy;
            v.lMatchCount = freedb.QueryDisc(v.sDiscId);
        } catch (const LookupFailure& failure) {
            // A failed lookup is told, and the player goes on as it was.
            v.lMatchCount = 0;
            box(QStringLiteral("The disc could not be looked up on %1:\n%2")
                    .arg(failure.server(), failure.reason()),
                QStringLiteral("CDDB Error"));
            return;
        }
        if (v.lMatchCount == 0) {
            box(QStringLiteral("No entry found, please input information and submit."),
                QStringLiteral("Error"));
            freedb.setSubmitMode(true);
            return;
        }
        f.lblArtist->setText(freedb.DiscArtist());
        f.lblAlbum->setText(freedb.DiscTitle());
        f.lblTotTracks->setText(CStr(freedb.TrackCount()));

        v.ErrorTag = QStringLiteral("QueryCDDB_02");
        v.iTrackLen = freedb.TrackSeconds(v.iCurrentTrack);
        v.iTrackLenMin = Integer(v.iTrackLen / 60);
        v.iTrackLenSec = Integer(v.iTrackLen % 60);
        f.lblTotTrackTime->setText(timeText(v.iTrackLenMin, v.iTrackLenSec));

        v.ErrorTag = QStringLiteral("QueryCDDB_03");
        f.cboCDDrive->setText(v.sCDDrive + QStringLiteral(" - ") + freedb.DiscArtist() +
                              QStringLiteral(" - ") + freedb.DiscTitle());
        v.bRenameDrive = true;
        GetDriveType(app);

        f.cboCurrentTrack->clear();
        const Integer n = CInt(double(freedb.TrackCount()));
        for (int i = 1; i <= n; ++i)
            f.cboCurrentTrack->addItem(CStr(i) + QStringLiteral(". ") +
                                       freedb.TrackTitle(Integer(i)));
        f.cboCurrentTrack->setText(CStr(v.iCurrentTrack) + QStringLiteral(". ") +
                                   freedb.TrackTitle(v.iCurrentTrack));
        v.bCDDBFound = true;

        v.bDeleteMenuItems = true;
        DeleteMenuItems(app);
        v.bLoadMenuItems = true;
        LoadMenuItems(app);

        v.ErrorTag = QStringLiteral("QueryCDDB_04");
        f.ProgressBar->setMax(freedb.TrackSeconds(v.iCurrentTrack));
    });
}

void frmCD::lblCDDB_Click() {
    QueryCDDB(app);
}

} // namespace vornap
