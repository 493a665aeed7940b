#include "playerfixture.h"

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
    seconds(10);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 2);
    EXPECT_EQ(f->cboCurrentTrack->text(), "2.");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:11");
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    EXPECT_EQ(f->ProgressBar->Max(), 11);
    second();
    tick();
    EXPECT_EQ(f->lblTime->text(), "0:01");
    seconds(11);
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "3.");

    // On the last track the count in the label stops any advance; the end of
    // the disc, with the last of its sound, brings track 1 back, stopped.
    seconds(10);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_TRUE(app.v.bPlaying);
    second();
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "1.");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:10");
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_TRUE(app.v.bStopped);
    EXPECT_FALSE(f->tmrTime->isActive());
    seconds(2);
    tick();
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 1) << "later ticks settle on the same display";
    f->imgPlay_Click();
    EXPECT_EQ(ask("status cd1 position"), "01:00:00:00");

    // With titles the track box and the end of the disc use the lookup.
    withTitles();
    seconds(10);
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "2. Noon");
    seconds(30);
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "Dawn");
    EXPECT_EQ(f->lblTotTrackTime->text(), "3:05");
}

TEST_F(Watcher, RemovalResetsTheDisplayAndReinsertionLoadsTheNewDisc) {
    start(threeTracks, "1");
    withTitles();
    f->imgPlay_Click();
    seconds(3);
    eject('E');
    tick();
    EXPECT_FALSE(app.v.bCDInDrive);
    EXPECT_FALSE(app.v.bCDDBFound) << "the next disc must not show these titles";
    EXPECT_FALSE(f->tmrTime->isActive());
    EXPECT_EQ(app.v.iElapsedSec, 0);
    EXPECT_EQ(f->ProgressBar->Value(), 0);
    for (auto* label : {f->lblArtist, f->lblAlbum, f->lblTotTrackTime, f->lblTotTracks})
        EXPECT_EQ(label->text(), "");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - No CD");
    EXPECT_EQ(f->sLastDriveText, "E:\\ - Unknown Album");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0);
    EXPECT_EQ(app.v.iCurrentTrack, 1);
    EXPECT_EQ(tips().last(), QString("No CD!").leftJustified(64, ' ')) << "no NUL after it";
    f->lblTime->setText("x");
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD") << "the no-disc display repeats on every tick";

    insert('E', audioDisc({5, 5, 5, 5}));
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_EQ(f->cboCurrentTrack->count(), 4);
    EXPECT_EQ(f->lblArtist->text(), "-");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
}

TEST_F(Watcher, TheTrayTipNamesTheAudioTrackOnlyInTrayMode) {
    start(threeTracks, "1");
    EXPECT_EQ(tips().last(), (QString("Track 1") + QChar(0)).leftJustified(64, ' '));
    withTitles();
    tick();
    EXPECT_EQ(tips().last(), (QString("1. Dawn") + QChar(0)).leftJustified(64, ' '));
    eject('E');
    tick();
    insert('E', dataDisc());
    tp.tray->calls.clear();
    tick();
    tick();
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_TRUE(tips().isEmpty()) << "a data disc gets no tip";
}

TEST_F(Watcher, NoTipChangesInWindowMode) {
    start(threeTracks, "0");
    eject('E');
    tick();
    EXPECT_TRUE(tips().isEmpty());
}

// A CD-Extra's data track plays as the end of the disc: the play skips it,
// and the watcher's end-of-disc step stops the display on track 1.
TEST_F(Watcher, APlayReachingTheDataTrackEndsTheDisc) {
    di::DiscSpec extra = audioDisc({10, 10});
    extra.tracks.push_back(di::TrackSpec::dataTrack(di::seconds(10), {{"INFO.TXT", "x"}}));
    struct Case {
        const char* name;
        int forwards; // presses of Forward while playing
        int secondsLater;
    };
    const std::vector<Case> cases{{"played through", 0, 21}, {"forward onto it", 2, 1}};
    start(extra);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f->imgPlay_Click();
        for (int i = 0; i < c.forwards; ++i)
            f->imgForward_Click();
        for (int i = 0; i < c.secondsLater; ++i) {
            second();
            tick();
        }
        tick();
        EXPECT_TRUE(app.v.bStopped);
        EXPECT_FALSE(f->tmrTime->isActive());
        EXPECT_EQ(f->lblTime->text(), "0:00");
        EXPECT_EQ(app.v.iCurrentTrack, 1);
    }
}
