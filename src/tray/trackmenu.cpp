#include "tray/trackmenu.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "cd/display.h"
#include "cd/mcicommands.h"
#include "freedb/freedbcontrol.h"

#include <QMenu>

namespace vornap {

void DeleteMenuItems(Application& app) {
    guarded(app, [&] {
        auto& v = app.v;
        v.ErrorTag = QStringLiteral("DeleteMenuItems_01");
        if (v.sSysTrayOnly != QLatin1String("1"))
            return;
        frmCD& form = *app.cd;
        if (v.bDeleteMenuItems) {
            form.mnuTrackList[0]->setVisible(true);
            while (form.mnuTrackList.size() > 1) {
                QAction* item = form.mnuTrackList.back();
                form.mnuTrackList.pop_back();
                form.mnuSelTrack->removeAction(item);
                item->deleteLater();
            }
        }
        v.bDeleteMenuItems = false;
    });
}

void LoadMenuItems(Application& app) {
    guarded(app, [&] {
        auto& v = app.v;
        v.ErrorTag = QStringLiteral("LoadMenuItems_01");
        if (v.sSysTrayOnly != QLatin1String("1") || !v.bLoadMenuItems)
            return;
        frmCD& form = *app.cd;
        auto add = [&form](Integer index, const QString& caption) {
            if (std::size_t(index) < form.mnuTrackList.size())
                throw RuntimeError(360, QStringLiteral("Object already loaded"));
            // A title's "&" is text, not a mnemonic.
            QAction* item = form.mnuSelTrack->addAction(oneLine(caption).replace(u'&', "&&"));
            item->setVisible(true);
            QObject::connect(item, &QAction::triggered, &form, [&form, index] {
                unhandled(form.app, [&] { form.mnuTrackList_Click(index); });
            });
            form.mnuTrackList.push_back(item);
        };
        if (v.bCDDBFound) {
            const Integer n = CInt(double(form.uFREEDB1->TrackCount()));
            for (Integer i = 1; i <= n; ++i)
                add(i, form.uFREEDB1->TrackTitle(i));
        } else {
            v.ErrorTag = QStringLiteral("LoadMenuItems_02");
            const Integer n = v.iTotalTracks;
            for (Integer i = 1; i <= n; ++i)
                add(i, QStringLiteral("Track ") + CStr(i));
        }
        v.bLoadMenuItems = false;
    });
}

void frmCD::mnuTrackList_Click(Integer index) {
    auto& v = app.v;
    mciSend(app, mcicmd::setTimeFormatTmsf());
    if (index == 0)
        return;
    v.iCurrentTrack = index;
    if (v.bCDDBFound)
        cboCurrentTrack->setText(CStr(index) + QStringLiteral(". - ") +
                                 uFREEDB1->TrackTitle(index));
    else
        cboCurrentTrack->setText(CStr(index));
    v.iElapsedMin = 0;
    v.iElapsedSec = 0;
    ProgressBar->setValue(0);
    UpdInfo(app);
    if (v.bPlaying) {
        mciSend(app, mcicmd::stopWait());
        mciSend(app, mcicmd::playFrom(v.iCurrentTrack));
    }
}

} // namespace vornap
