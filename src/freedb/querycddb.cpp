#include "freedb/querycddb.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "app/waitaside.h"
#include "cd/drives.h"
#include "freedb/freedbcontrol.h"
#include "tray/trackmenu.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QScreen>

namespace vornap {

namespace {

// The lookup blocks the window; the cursor says so.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The window keeps painting while the sources are asked; the time label says
// why it does not count.
struct LoadingCaption {
    explicit LoadingCaption(QLabel* label) : label(label), before(label->text()) {
        label->setText(QStringLiteral("Loading..."));
    }
    ~LoadingCaption() { label->setText(before); }
    LoadingCaption(const LoadingCaption&) = delete;
    LoadingCaption& operator=(const LoadingCaption&) = delete;
    QLabel* label;
    QString before;
};

QString timeText(Integer minutes, Integer seconds) {
    return CStr(minutes) + u':' + (seconds < 10 ? QStringLiteral("0") : QString()) + CStr(seconds);
}

// Steps 6 to 18 of the lookup: the held answer everywhere it shows.
void ShowAnswer(Application& app) {
    auto& v = app.v;
    frmCD& f = *app.cd;
    FreeDbControl& freedb = *f.uFREEDB1;
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
        f.cboCurrentTrack->addItem(CStr(i) + QStringLiteral(". ") + freedb.TrackTitle(Integer(i)));
    f.cboCurrentTrack->setText(CStr(v.iCurrentTrack) + QStringLiteral(". ") +
                               freedb.TrackTitle(v.iCurrentTrack));
    v.bCDDBFound = true;

    v.bDeleteMenuItems = true;
    DeleteMenuItems(app);
    v.bLoadMenuItems = true;
    LoadMenuItems(app);

    v.ErrorTag = QStringLiteral("QueryCDDB_04");
    f.ProgressBar->setMax(freedb.TrackSeconds(v.iCurrentTrack));
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
            LoadingCaption loading(f.lblTime);
            const String discId = v.sDiscId;
            Long found = 0;
            runAside(app, [&] { found = freedb.QueryDisc(discId); });
            v.lMatchCount = found;
        } catch (const LookupFailure& failure) {
            // A failed lookup is told, and the player goes on as it was.
            v.lMatchCount = 0;
            box(QStringLiteral("The disc could not be looked up.\n\n") +
                    LookupFailure::joined(failure.answers()),
                QStringLiteral("CDDB Error"));
            return;
        }
        if (v.lMatchCount == 0) {
            box(QStringLiteral("No entry found, please input information and submit."),
                QStringLiteral("Error"));
            freedb.setSubmitMode(true);
            return;
        }
        ShowAnswer(app);
    });
}

void AttachMatchMenu(Application& app) {
    frmCD& f = *app.cd;
    for (QLabel* label : {static_cast<QLabel*>(f.lblArtist), static_cast<QLabel*>(f.lblAlbum)}) {
        label->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(label, &QWidget::customContextMenuRequested, label,
                         [&app, label](QPoint at) {
                             frmCD& f = *app.cd;
                             const QStringList names = f.uFREEDB1->matchNames();
                             if (!app.v.bCDDBFound || names.size() < 2 || app.waitingAside > 0)
                                 return;
                             QMenu menu(label);
                             QMenu* matches = menu.addMenu(QStringLiteral("Other &Matches"));
                             // A name's "&" is text, not a mnemonic; a long one
                             // would run the menu off the screen.
                             const QFontMetrics metrics(matches->font());
                             const int room = label->screen()->availableGeometry().width() / 2;
                             for (int i = 0; i < names.size(); ++i) {
                                 QAction* action = matches->addAction(
                                     metrics.elidedText(oneLine(names[i]), Qt::ElideRight, room)
                                         .replace(u'&', QStringLiteral("&&")));
                                 action->setCheckable(true);
                                 action->setChecked(i == f.uFREEDB1->chosenMatch());
                                 action->setData(i);
                             }
                             const QAction* chosen = menu.exec(label->mapToGlobal(at));
                             if (chosen)
                                 ChooseMatch(app, chosen->data().toInt());
                         });
    }
}

void ChooseMatch(Application& app, int index) {
    unhandled(app, [&] {
        guarded(app, [&] {
            if (app.cd->uFREEDB1->chooseMatch(index))
                ShowAnswer(app);
        });
    });
}

void frmCD::lblCDDB_Click() {
    // Asked for by hand: the sources again, not the cache.
    uFREEDB1->askAgain();
    QueryCDDB(app);
}

} // namespace vornap
