#include "cd/display.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "cd/mcianswers.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"

#include <cmath>

namespace vornap {

void enableTimer(QTimer* timer) {
    if (!timer->isActive())
        timer->start();
}

void UpdInfo(Application& app) {
    Variables& v = app.v;
    frmCD& f = *app.cd;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("UpdInfo_01");
        if (!(v.bCDInDrive && v.bAudioCD))
            return;
        if (!v.bCDDBFound) {
            v.ErrorTag = QStringLiteral("UpdInfo_02");
            f.lblAlbum->setText(QStringLiteral("-"));
            f.lblArtist->setText(QStringLiteral("-"));
            // A drive that has just lost its disc, or a track it does not
            // have, answers nothing: the rest of the display stays as it was.
            mciSend(app, mcicmd::statusLengthTrack(v.iCurrentTrack), v.sMciAnswer);
            if (answerText(v.sMciAnswer).isEmpty())
                return;
            f.lblTotTrackTime->setText(lengthForDisplay(v.sMciAnswer));
            mciSend(app, mcicmd::statusNumberOfTracksWait(), v.sMciTracks);
            const auto count = trackCountIn(v.sMciTracks.left(2));
            if (!count)
                return;
            v.iTotalTracks = *count;
            f.lblTotTracks->setText(CStr(v.iTotalTracks));
            mciSend(app, mcicmd::setTimeFormatMilliseconds());
            mciSend(app, mcicmd::statusLengthTrack(v.iCurrentTrack), v.sMciAnswer);
            mciSend(app, mcicmd::setTimeFormatTmsf());
            if (const auto ms = millisecondsIn(answerText(v.sMciAnswer)))
                f.ProgressBar->setMax(Long(std::floor(*ms / 1000)));
        } else {
            FreeDbControl& freedb = *f.uFREEDB1;
            f.lblAlbum->setText(freedb.DiscTitle());
            f.lblArtist->setText(freedb.DiscArtist());
            v.iTrackLen = freedb.TrackSeconds(v.iCurrentTrack);
            v.iTrackLenMin = Integer(v.iTrackLen / 60);
            v.iTrackLenSec = Integer(v.iTrackLen % 60);
            f.lblTotTrackTime->setText(minutesSeconds(v.iTrackLenMin, v.iTrackLenSec));
            f.lblTotTracks->setText(CStr(freedb.TrackCount()));
            f.ProgressBar->setMax(freedb.TrackSeconds(v.iCurrentTrack));
        }
    });
}

void frmCD::tmrTime_Timer() {
    Variables& v = app.v;
    if (minutesSeconds(v.iElapsedMin, v.iElapsedSec) == lblTotTrackTime->text())
        return; // the track's length is reached: the count stays there
    v.iElapsedSec = Integer(v.iElapsedSec + 1);
    // Seconds added elsewhere can pass 60; they fold into minutes here.
    if (v.iElapsedSec >= 60) {
        v.iElapsedMin = Integer(v.iElapsedMin + v.iElapsedSec / 60);
        v.iElapsedSec = Integer(v.iElapsedSec % 60);
    }
    lblTime->setText(minutesSeconds(v.iElapsedMin, v.iElapsedSec));
    ProgressBar->setValue(Long(v.iElapsedMin) * 60 + v.iElapsedSec);
}

} // namespace vornap
