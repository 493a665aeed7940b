#include "app/frmcd.h"
#include "cd/display.h"
#include "cd/mcianswers.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"
#include "skins/skinfiles.h"

#include <QPixmap>

namespace vornap {

namespace {

void playFrom(Application& app, Integer track) {
    mciSend(app, mcicmd::playFrom(track));
}

// The track box after Back and Forward.
QString steppedTrackText(const Application& app, const FreeDbControl& freedb) {
    const Integer track = app.v.iCurrentTrack;
    if (app.v.bCDDBFound)
        return CStr(track) + QStringLiteral(" - ") + freedb.TrackTitle(track);
    return CStr(track);
}

// Loaded afresh on every press: the skin directory may have changed. A
// bitmap that cannot be loaded leaves the button as it is.
void showButtonBitmap(Application& app, ImageBox* button, const char* file) {
    const QPixmap picture(skinFilePath(app.v.sSkinDir, QString::fromLatin1(file)));
    if (!picture.isNull())
        button->setPicture(picture);
}

} // namespace

void frmCD::imgPlay_Click() {
    Variables& v = app.v;
    mciSend(app, mcicmd::setTimeFormatTmsf());
    if (!v.bCDInDrive || v.bPlaying)
        return;
    if (v.bStopped) {
        v.bStopped = false;
        v.bPlaying = true;
        playFrom(app, v.iCurrentTrack);
        enableTimer(tmrTime);
    } else if (v.bPaused) {
        mciSend(app, mcicmd::resume());
        v.bPaused = false;
        v.bPlaying = true;
        v.bStopped = false;
        enableTimer(tmrTime);
    } else {
        playFrom(app, v.iCurrentTrack);
        enableTimer(tmrTime);
    }
}

void frmCD::imgPause_Click() {
    Variables& v = app.v;
    if (!v.bCDInDrive || v.bStopped)
        return;
    // A drive that is not playing refuses both; the state must not say
    // otherwise, or the clock would count in silence.
    if (!v.bPaused) {
        if (mciSend(app, mcicmd::pause()) != 0)
            return;
        v.bPaused = true;
        v.bPlaying = false;
        tmrTime->stop();
    } else {
        if (mciSend(app, mcicmd::resume()) != 0)
            return;
        v.bPaused = false;
        v.bPlaying = true;
        enableTimer(tmrTime);
    }
}

void frmCD::imgStop_Click() {
    Variables& v = app.v;
    mciSend(app, mcicmd::setTimeFormatTmsf());
    if (!v.bCDInDrive)
        return;
    mciSend(app, mcicmd::stopWait());
    mciSend(app, mcicmd::seekTo1());
    v.bPaused = false;
    v.bPlaying = false;
    v.bStopped = true;
    tmrTime->stop();
    v.iElapsedSec = 0;
    v.iElapsedMin = 0;
    lblTime->setText(QStringLiteral("0:00"));
    ProgressBar->setValue(0);
}

void frmCD::imgBack_Click() {
    Variables& v = app.v;
    mciSend(app, mcicmd::setTimeFormatTmsf());
    if (!v.bCDInDrive)
        return;
    if (v.iElapsedMin == 0 && v.iElapsedSec < 7) {
        if (v.iCurrentTrack > 1) {
            mciSend(app, mcicmd::stopWait());
            v.iCurrentTrack = Integer(v.iCurrentTrack - 1);
            if (v.bPlaying)
                playFrom(app, v.iCurrentTrack);
        }
    } else if (v.iCurrentTrack > 1) {
        // Seven seconds in or more: the same track again from its start.
        mciSend(app, mcicmd::stopWait());
        if (v.bPlaying)
            playFrom(app, v.iCurrentTrack);
    }
    v.iElapsedMin = 0;
    v.iElapsedSec = 0;
    cboCurrentTrack->setText(steppedTrackText(app, *uFREEDB1));
    ProgressBar->setValue(0);
    UpdInfo(app);
    v.bPaused = false;
    v.iElapsedMin = 0;
    v.iElapsedSec = 0;
}

void frmCD::imgForward_Click() {
    Variables& v = app.v;
    mciSend(app, mcicmd::setTimeFormatTmsf());
    if (!v.bCDInDrive)
        return;
    long long lastTrack = 0;
    if (v.bCDDBFound) {
        lastTrack = uFREEDB1->TrackCount();
    } else {
        mciSend(app, mcicmd::statusNumberOfTracksWait(), v.sMciTracks);
        // No answer: the disc has just left, and the next tick says so.
        const auto count = trackCountIn(v.sMciTracks.left(2));
        if (!count)
            return;
        v.iTotalTracks = *count;
        lblTotTracks->setText(CStr(v.iTotalTracks));
        lastTrack = v.iTotalTracks;
    }
    if (v.iCurrentTrack < lastTrack) {
        mciSend(app, mcicmd::stopWait());
        v.iCurrentTrack = Integer(v.iCurrentTrack + 1);
        if (v.bPlaying)
            playFrom(app, v.iCurrentTrack);
        v.iElapsedMin = 0;
        v.iElapsedSec = 0;
    }
    cboCurrentTrack->setText(steppedTrackText(app, *uFREEDB1));
    ProgressBar->setValue(0);
    UpdInfo(app);
    v.bPaused = false;
}

void frmCD::cboCurrentTrack_Click() {
    Variables& v = app.v;
    mciSend(app, mcicmd::setTimeFormatTmsf());
    // "7", "12", "7. Title" and "12. Title" all read right.
    const QString text = cboCurrentTrack->text();
    const QString number = text.mid(2, 1) != QLatin1String(" ") ? text.left(2) : text.left(1);
    v.iCurrentTrack = CInt(Val(number));
    if (v.bPlaying) {
        mciSend(app, mcicmd::stopWait());
        playFrom(app, v.iCurrentTrack);
        enableTimer(tmrTime);
        v.bPaused = false;
        v.bStopped = false;
    }
    UpdInfo(app);
    v.iElapsedMin = 0;
    v.iElapsedSec = 0;
    cboSetFocus->setFocus();
}

void frmCD::cboCurrentTrack_DropDown() {
    cboCurrentTrack->setLocked(false);
}

void frmCD::imgPlay_MouseDown() {
    showButtonBitmap(app, imgPlay, "Play_Down.bmp");
}
void frmCD::imgPlay_MouseUp() {
    showButtonBitmap(app, imgPlay, "Play_Up.bmp");
}
void frmCD::imgPause_MouseDown() {
    showButtonBitmap(app, imgPause, "Pause_Down.bmp");
}
void frmCD::imgPause_MouseUp() {
    showButtonBitmap(app, imgPause, "Pause_Up.bmp");
}
void frmCD::imgStop_MouseDown() {
    showButtonBitmap(app, imgStop, "Stop_Down.bmp");
}
void frmCD::imgStop_MouseUp() {
    showButtonBitmap(app, imgStop, "Stop_Up.bmp");
}
void frmCD::imgForward_MouseDown() {
    showButtonBitmap(app, imgForward, "Fwd_Down.bmp");
}
void frmCD::imgForward_MouseUp() {
    showButtonBitmap(app, imgForward, "Fwd_Up.bmp");
}
void frmCD::imgBack_MouseDown() {
    showButtonBitmap(app, imgBack, "Back_Down.bmp");
}
void frmCD::imgBack_MouseUp() {
    showButtonBitmap(app, imgBack, "Back_Up.bmp");
}

} // namespace vornap
