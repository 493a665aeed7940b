#include "cd/display.h"
#include "playerfixture.h"

#include <QTest>
#include <functional>

using namespace vornap;
using namespace vornap::test;

namespace {

struct Watcher : Player {
    void start(const di::DiscSpec& spec, const char* trayOnly = "0") {
        startWith(spec, {.trayOnly = trayOnly});
        tick();
    }
    void withTitles() {
        freedb->titles = {"Dawn", "Noon", "Dusk"};
        freedb->seconds = {185, 11, 12};
        app.v.bCDDBFound = true; // as the lookup leaves it
    }
    void after(int n) {
        seconds(n);
        tick();
    }
    bool stopped() const { return app.v.bStopped && !f->tmrTime->isActive(); }
    // The track box, the track's length and the time.
    QString shown() const {
        return f->cboCurrentTrack->text() + ' ' + f->lblTotTrackTime->text() + ' ' +
               f->lblTime->text();
    }
    // The whole 64-character tip field of each change the watcher made
    // (adding the icon is not its business).
    QStringList tips() const {
        QStringList out;
        for (const auto& call : tp.tray->calls)
            if (call.message == platform::NIM_MODIFY)
                out << QString::fromLatin1(call.data.szTip.data(), 64);
        return out;
    }
};

const di::DiscSpec threeTracks = audioDisc({10, 11, 12});

} // namespace

TEST_F(Watcher, TracksAdvanceWithTheDriveAndTheEndOfTheDiscReturnsToTrackOne) {
    start(threeTracks);
    f->imgPlay_Click();
    after(10);
    EXPECT_TRUE(shown().startsWith("2. 0:11 ")) << shown().toStdString();
    EXPECT_EQ(f->ProgressBar->Max(), 11);
    after(1);
    EXPECT_EQ(f->lblTime->text(), "0:01");

    // The end of the disc, with the last of its sound, brings track 1 back,
    // stopped; later ticks settle on the same display.
    after(21);
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_TRUE(app.v.bPlaying);
    after(1);
    tick();
    EXPECT_EQ(shown(), "1. 0:10 0:00");
    EXPECT_TRUE(stopped());

    // With titles the track box and the end of the disc use the lookup.
    f->imgPlay_Click();
    withTitles();
    after(10);
    EXPECT_EQ(f->cboCurrentTrack->text(), "2. Noon");
    after(30);
    EXPECT_EQ(shown(), "Dawn 3:05 0:00");
}

// The tip names the audio track in tray mode only; "No CD!" fills the
// field without a NUL. A removal forgets the titles; a data disc gets its
// table of one track and no tip.
TEST_F(Watcher, RemovalResetsTheTrayTipAndANewDiscIsTakenIn) {
    start(threeTracks, "1");
    EXPECT_EQ(tips().last(), (QString("Track 1") + QChar(0)).leftJustified(64, ' '));
    withTitles();
    tick();
    EXPECT_EQ(tips().last(), (QString("1. Dawn") + QChar(0)).leftJustified(64, ' '));
    f->imgPlay_Click();
    seconds(3);
    eject('E');
    tick();
    EXPECT_EQ(tips().last(), QString("No CD!").leftJustified(64, ' '));
    EXPECT_FALSE(app.v.bCDDBFound) << "a lookup asked for meanwhile must not find these titles";

    insert('E', audioDisc({5, 5, 5, 5}));
    tick();
    // The titles went with the disc.
    EXPECT_EQ(f->lblArtist->text() + ' ' + f->cboCDDrive->text() + ' ' +
                  entries(f->cboCurrentTrack).join(','),
              "- E:\\ - Unknown Album 1,2,3,4");
    eject('E');
    tick();
    insert('E', dataDisc());
    tp.tray->calls.clear();
    tick();
    tick();
    EXPECT_EQ(f->cboCDDrive->text() + ' ' + entries(f->cboCurrentTrack).join(','),
              "E:\\ - Data CD 1");
    EXPECT_TRUE(tips().isEmpty()) << "a data disc gets no tip";
}

namespace {

// Which controls of the window were painted, by name.
struct Paints : QObject {
    explicit Paints(frmCD& f) : window(f) {
        controls = {{f.lblTime, "lblTime"},       {f.ProgressBar, "ProgressBar"},
                    {f.cboCDDrive, "cboCDDrive"}, {f.cboCurrentTrack, "cboCurrentTrack"},
                    {f.lblArtist, "lblArtist"},   {f.lblTotTrackTime, "lblTotTrackTime"},
                    {f.lblAlbum, "lblAlbum"},     {f.lblTotTracks, "lblTotTracks"}};
        qApp->installEventFilter(this);
    }
    std::set<std::string> taken() {
        QCoreApplication::processEvents();
        return std::exchange(painted, {});
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        // A control's inner widgets count as the control.
        for (auto* w = static_cast<QWidget*>(watched); w && w != &window; w = w->parentWidget())
            if (controls.count(w))
                return painted.insert(controls[w]), false;
        // The window's own background is drawn again under a control that changed.
        if (watched != &window && watched != window.centralWidget())
            painted.insert(watched->metaObject()->className());
        return false;
    }

    frmCD& window;
    std::map<QWidget*, std::string> controls;
    std::set<std::string> painted;
};

} // namespace

// The disc in the drive at start-up is taken in as soon as the window shows.
// While it plays, each second shows a new time and (on a short track) a longer
// bar; nothing else is drawn again unless it changed.
TEST_F(Watcher, TheDiscIsTakenInOnceTheWindowIsShownAndASecondOfPlayingRepaintsOnlyWhatChanged) {
    drive('E');
    insert('E', threeTracks);
    writeOptions({.drive = QStringLiteral("E:\\")});
    f->Form_Load();
    // A period that never ends here: only the first tick can take the disc in.
    f->tmrCDCheck->setInterval(3600 * 1000);
    EXPECT_FALSE(app.v.bCDInDrive);
    f->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.v.bCDInDrive; }));
    EXPECT_EQ(f->cboCurrentTrack->count(), 3);
    EXPECT_TRUE(f->tmrCDCheck->isActive());
    EXPECT_EQ(f->tmrCDCheck->interval(), 3600 * 1000);
    f->tmrCDCheck->stop(); // each tick from here on is the test's
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    f->imgPlay_Click();
    Paints paints(*f);
    // Which second, what comes before it, what it paints.
    const std::tuple<const char*, std::function<void()>, std::set<std::string>> steps[] = {
        {"into track 1", [] {}, {"lblTime", "ProgressBar"}},
        {"into track 2",
         [&] { after(8); },
         {"lblTime", "ProgressBar", "cboCurrentTrack", "lblTotTrackTime"}},
        {"of a long track, the bar a pixel per five seconds",
         [&] {
             withTitles();
             freedb->seconds = {185, 2000, 12};
             UpdInfo(app);
         },
         {"lblTime"}},
        {"paused", [&] { f->imgPause_Click(); }, {}},
    };
    for (const auto& [name, before, painted] : steps) {
        SCOPED_TRACE(name);
        before();
        paints.taken();
        after(1);
        tick();
        EXPECT_EQ(paints.taken(), painted);
    }
}

// A CD-Extra's data track plays as the end of the disc: the play skips it,
// and the watcher's end-of-disc step stops the display on track 1.
TEST_F(Watcher, APlayReachingTheDataTrackEndsTheDisc) {
    di::DiscSpec extra = audioDisc({10, 10});
    extra.tracks.push_back(di::TrackSpec::dataTrack(di::seconds(10), {{"INFO.TXT", "x"}}));
    start(extra);
    // Played through, and Forward pressed twice onto it.
    for (const auto& [forwards, secondsLater] : {std::pair{0, 21}, std::pair{2, 1}}) {
        f->imgPlay_Click();
        for (int i = 0; i < forwards; ++i)
            f->imgForward_Click();
        for (int i = 0; i < secondsLater; ++i)
            after(1);
        tick();
        EXPECT_TRUE(stopped()) << forwards;
        EXPECT_EQ(QString::number(app.v.iCurrentTrack) + ' ' + shown(), "1 1. 0:10 0:00");
    }
}
