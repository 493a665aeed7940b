#include "app/fatal.h"
#include "app/frmcd.h"
#include "cd/discloading.h"
#include "cd/display.h"
#include "cd/mcianswers.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"
#include "tray/trackmenu.h"
#include "tray/traytip.h"

#include <optional>

namespace vornap {

void frmCD::tmrCDCheck_Timer() {
    Variables& v = app.v;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("CDCheck_01");
        mciSend(app, mcicmd::closeAll());
        mciSend(app, mcicmd::open(v.sCDDrive, mcicmd::CDCheck));
        mciSend(app, mcicmd::statusMediaPresentWait(mcicmd::CDCheck), sMCIReply);
        mciSend(app, mcicmd::closeAll());
        mciSend(app, mcicmd::open(v.sCDDrive, mcicmd::cd1));

        v.ErrorTag = QStringLiteral("CDCheck_02");
        sMediaPresent = sMCIReply.left(4);

        if (sMediaPresent == QLatin1String("true")) {
            v.ErrorTag = QStringLiteral("CDCheck_03");
            if (!v.bCDInDrive) {
                setWindowTitle(QStringLiteral("Loading CD..."));
                lblTime->setText(QStringLiteral("Loading..."));
                v.bLoadCD = true;
                v.bCDInDrive = true;
                GetCDInfo(app);
                v.bDeleteMenuItems = true;
                v.bLoadMenuItems = true;
            }

            mciSend(app, mcicmd::setTimeFormatMilliseconds());
            mciSend(app, mcicmd::statusPosition(), sPosition);
            mciSend(app, mcicmd::statusPositionTrack(v.iCurrentTrack + 1), sNextTrackStart);
            mciSend(app, mcicmd::statusLength(), sCDLength);
            // The length counts from track 1's start, the position from the
            // disc's: where the two could meet, the disc's end needs that start.
            FixedString<30> firstTrackStart;
            const bool nearEnd = Val(sPosition.text()) >= Val(sCDLength.text());
            if (nearEnd)
                mciSend(app, mcicmd::statusPositionTrack(1), firstTrackStart);
            mciSend(app, mcicmd::setTimeFormatTmsf());

            // The track-follow is for the drive's own advance: a drive paused,
            // stopped or at its end keeps the track the user chose. Asked only
            // when a step would act.
            std::optional<bool> plays;
            auto drivePlays = [&] {
                if (!plays) {
                    FixedString<30> mode;
                    mciSend(app, mcicmd::statusMode(), mode);
                    plays = mode.left(7) == QLatin1String("playing");
                }
                return *plays;
            };

            // The position is absolute; the next track's start too, so this
            // follows the drive across track boundaries. A failed query for
            // the next track's start (past the last) means there is none,
            // whatever an empty track-count label reads as.
            const double position = Val(sPosition.text());
            const bool nextTrack = !answerText(sNextTrackStart).isEmpty();
            if (nextTrack && position >= Val(sNextTrackStart.text()) &&
                Val(lblTotTracks->text()) != v.iCurrentTrack && drivePlays()) {
                v.iElapsedMin = 0;
                v.iElapsedSec = 0;
                v.iCurrentTrack = Integer(v.iCurrentTrack + 1);
                UpdInfo(app);
                ProgressBar->setValue(0);
                cboCurrentTrack->setText(v.bCDDBFound
                                             ? CStr(v.iCurrentTrack) + QStringLiteral(". ") +
                                                   uFREEDB1->TrackTitle(v.iCurrentTrack)
                                             : CStr(v.iCurrentTrack) + QStringLiteral("."));
            }

            // The end of the disc, once: the drive may have stopped before
            // this tick, while the player still counts as playing. Each
            // millisecond reading counts its first frame's millisecond, so the
            // sum is one past the last frame's.
            const bool atEnd = nearEnd && !answerText(sCDLength).isEmpty() &&
                               !answerText(firstTrackStart).isEmpty() &&
                               position + 1 >= Val(sCDLength.text()) + Val(firstTrackStart.text());
            if (atEnd && (v.bPlaying || tmrTime->isActive() || drivePlays())) {
                v.iCurrentTrack = 1;
                ProgressBar->setValue(0);
                tmrTime->stop();
                v.iElapsedMin = 0;
                v.iElapsedSec = 0;
                lblTime->setText(QStringLiteral("0:00"));
                if (v.bCDDBFound) {
                    Integer first = 1;
                    cboCurrentTrack->setText(uFREEDB1->TrackTitle(first));
                    v.iTrackLen = uFREEDB1->TrackSeconds(first);
                    v.iTrackLenMin = Integer(v.iTrackLen / 60);
                    v.iTrackLenSec = Integer(v.iTrackLen % 60);
                    lblTotTrackTime->setText(minutesSeconds(v.iTrackLenMin, v.iTrackLenSec));
                } else {
                    cboCurrentTrack->setText(QStringLiteral("1."));
                    mciSend(app, mcicmd::statusLengthTrack(1), sMCIReply);
                    lblTotTrackTime->setText(lengthForDisplay(sMCIReply));
                }
                v.bStopped = true;
                v.bPlaying = false;
                v.bPaused = false;
            }

            if (v.bAudioCD && v.sSysTrayOnly == QLatin1String("1")) {
                const QString tip = v.bCDDBFound ? CStr(v.iCurrentTrack) + QStringLiteral(". ") +
                                                       uFREEDB1->TrackTitle(v.iCurrentTrack)
                                                 : QStringLiteral("Track ") + CStr(v.iCurrentTrack);
                SetTrayTip(v.nidTray, tip + QChar(0));
                app.platform.tray->shellNotifyIcon(platform::NIM_MODIFY, v.nidTray);
            }
        } else {
            v.ErrorTag = QStringLiteral("CDCheck_04");
            if (v.bCDInDrive) {
                mciSend(app, mcicmd::close(mcicmd::cd1));
                v.bCDInDrive = false;
                // The next disc must not show this one's titles, nor may a
                // lookup asked for meanwhile find them.
                v.bCDDBFound = false;
                v.sDiscId.clear();
                // The drive stopped when its disc left; left playing or
                // paused, Play would do nothing for the next disc.
                standStopped();
            }
            lblTime->setText(QStringLiteral("No CD"));
            lblArtist->setText(QString());
            lblAlbum->setText(QString());
            lblTotTrackTime->setText(QString());
            lblTotTracks->setText(QString());
            sLastDriveText = cboCDDrive->text();
            cboCDDrive->setText(sLastDriveText.left(3) + QStringLiteral(" - No CD"));
            cboCurrentTrack->clear();
            v.iCurrentTrack = 1;
            if (v.sSysTrayOnly == QLatin1String("1")) {
                SetTrayTip(v.nidTray, QStringLiteral("No CD!"));
                app.platform.tray->shellNotifyIcon(platform::NIM_MODIFY, v.nidTray);
            }
        }

        v.ErrorTag = QStringLiteral("CDCheck_05");
        DeleteMenuItems(app);
        LoadMenuItems(app);
    });
}

void frmCD::standStopped() {
    Variables& v = app.v;
    v.bPlaying = false;
    v.bPaused = false;
    v.bStopped = true;
    tmrTime->stop();
    v.iElapsedMin = 0;
    v.iElapsedSec = 0;
    ProgressBar->setValue(0);
}

} // namespace vornap
