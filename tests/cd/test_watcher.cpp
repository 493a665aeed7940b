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
    EXPECT_EQ(f->cboCurrentTrack->text(), "2.");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:11");
    EXPECT_EQ(f->ProgressBar->Max(), 11);
    seconds(1);
    tick();
    EXPECT_EQ(f->lblTime->text(), "0:01");

    // The end of the disc, with the last of its sound, brings track 1 back,
    // stopped; later ticks settle on the same display.
    seconds(21);
    tick();
    EXPECT_EQ(app.v.iCurrentTrack, 3);
    EXPECT_TRUE(app.v.bPlaying);
    seconds(1);
    tick();
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "1.");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:10");
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_TRUE(app.v.bStopped);
    EXPECT_FALSE(f->tmrTime->isActive());

    // With titles the track box and the end of the disc use the lookup.
    f->imgPlay_Click();
    withTitles();
    seconds(10);
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "2. Noon");
    seconds(30);
    tick();
    EXPECT_EQ(f->cboCurrentTrack->text(), "Dawn");
    EXPECT_EQ(f->lblTotTrackTime->text(), "3:05");
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
    EXPECT_EQ(f->cboCurrentTrack->count(), 4);
    EXPECT_EQ(f->lblArtist->text(), "-") << "the titles went with the disc";
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
    eject('E');
    tick();
    insert('E', dataDisc());
    tp.tray->calls.clear();
    tick();
    tick();
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Data CD");
    EXPECT_EQ(entries(f->cboCurrentTrack), QStringList{"1"});
    EXPECT_TRUE(tips().isEmpty()) << "a data disc gets no tip";
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
            seconds(1);
            tick();
        }
        tick();
        EXPECT_TRUE(app.v.bStopped);
        EXPECT_FALSE(f->tmrTime->isActive());
        EXPECT_EQ(f->lblTime->text(), "0:00");
        EXPECT_EQ(app.v.iCurrentTrack, 1);
    }
}
