#include "cd/discloading.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "app/versiontext.h"
#include "cd/drives.h"
#include "cd/mcianswers.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"
#include "freedb/querycddb.h"

namespace vornap {

namespace {

void buildTrackTable(Application& app, frmCD& f) {
    Variables& v = app.v;
    f.lblArtist->setText(QStringLiteral("-"));
    f.lblAlbum->setText(QStringLiteral("-"));
    mciSend(app, mcicmd::statusNumberOfTracksWait(), v.sMciTracks);
    v.iTotalTracks = trackCountFromAnswer(v.sMciTracks.left(2));
    f.lblTotTracks->setText(CStr(v.iTotalTracks));
    v.iCurrentTrack = 1;

    f.cboCurrentTrack->clear();
    const Integer count = CInt(f.lblTotTracks->text());
    for (Integer i = 1; i <= count; ++i)
        f.cboCurrentTrack->addItem(CStr(i));
    f.cboCurrentTrack->setText(CStr(v.iCurrentTrack));

    mciSend(app, mcicmd::statusLengthTrack(1), v.sMciAnswer);
    v.ErrorTag = QStringLiteral("GetCDInfo_04");
    f.lblTotTrackTime->setText(lengthForDisplay(v.sMciAnswer));
}

} // namespace

void GetCDInfo(Application& app) {
    Variables& v = app.v;
    frmCD& f = *app.cd;
    const auto vornap = QStringLiteral("Vornap");
    guarded(app, FatalBox::SupportSentence, [&] {
        v.ErrorTag = QStringLiteral("GetCDInfo_01");
        if (v.bLoadCD) {
            if (!v.bCDInDrive) {
                if (v.sUseCDDB == QLatin1String("1"))
                    f.lblCDDB->setVisible(true);
            } else {
                // Titles of the disc before must not be shown for this one;
                // a lookup for it sets the flag again.
                v.bCDDBFound = false;
                // A new disc starts at its first track; the lookup below shows
                // the current one, which must not be the old disc's.
                v.iCurrentTrack = 1;
                f.setWindowTitle(QStringLiteral("Loading CD..."));
                CheckCDContents(app, v.sCDDrive);
                f.cboCDDrive->setText(v.sCDDrive + (v.bAudioCD ? QStringLiteral(" - Unknown Album")
                                                               : QStringLiteral(" - Data CD")));
                f.setWindowTitle(vornap);
                f.lblTime->setText(QStringLiteral("0:00"));

                v.ErrorTag = QStringLiteral("GetCDInfo_02");
                if (v.sUseCDDB == QLatin1String("1")) {
                    v.sDiscId = f.uFREEDB1->GetDiscID(v.sCDDrive);
                    f.uFREEDB1->setClientName(vornap);
                    f.uFREEDB1->setClientVersion(VersionText());
                    f.lblCDDB->setVisible(true);
                }

                v.ErrorTag = QStringLiteral("GetCDInfo_02");
                if (v.sPlayOnStart == QLatin1String("1") && v.sCDDBOnStart == QLatin1String("1"))
                    QueryCDDB(app);

                v.ErrorTag = QStringLiteral("GetCDInfo_03");
                mciSend(app, mcicmd::setTimeFormatTmsf());
                v.ErrorTag = QStringLiteral("GetCDInfo_03");
                // A lookup that found titles filled the track table; without
                // them (none asked, none found, a lookup that failed) it comes
                // from the disc, or another disc's would stay on show.
                if (!v.bCDDBFound)
                    buildTrackTable(app, f);

                v.ErrorTag = QStringLiteral("GetCDInfo_05");
                if (v.sPlayOnStart == QLatin1String("1")) {
                    v.iCurrentTrack = 1;
                    mciSend(app, mcicmd::playFrom(1));
                    if (!f.tmrTime->isActive())
                        f.tmrTime->start();
                    v.bPlaying = true;
                    v.bStopped = false;
                    v.bPaused = false;
                }
            }
            v.ErrorTag = QStringLiteral("GetCDInfo_06");
            v.bLoadCD = false;
            f.setWindowTitle(vornap);
        }
        f.lblTime->setText(QStringLiteral("0:00"));
    });
}

} // namespace vornap
