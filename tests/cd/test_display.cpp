#include "cd/display.h"
#include "cdfixture.h"

using namespace vornap;
using namespace vornap::test;

namespace {
struct Display : CdUnit {
    // Ticks until the label stops changing; returns every text shown.
    QStringList tickThrough(int ticks) {
        QStringList shown;
        for (int i = 0; i < ticks; ++i) {
            f->tmrTime_Timer();
            shown << f->lblTime->text();
        }
        return shown;
    }
};
} // namespace

TEST_F(Display, TheElapsedTimeStopsAtTheTrackLength) {
    for (const char* length : {"4:15", "4:05"}) {
        app.v.iElapsedMin = 0;
        app.v.iElapsedSec = 0;
        f->lblTotTrackTime->setText(length);
        const QStringList shown = tickThrough(300);
        EXPECT_EQ(shown.first(), "0:01");
        EXPECT_EQ(shown.indexOf(length), QString(length) == "4:15" ? 254 : 244);
        EXPECT_EQ(shown.last(), length) << "the count stays at the length";
        EXPECT_EQ(f->ProgressBar->Value(), QString(length) == "4:15" ? 255 : 245);
    }
}

TEST_F(Display, SecondsRollIntoMinutes) {
    f->lblTotTrackTime->setText("20:00");
    app.v.iElapsedSec = 59;
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "1:00");
    app.v.iElapsedMin = 9;
    app.v.iElapsedSec = 59;
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "10:00");
    EXPECT_EQ(f->ProgressBar->Value(), 600);
}

TEST_F(Display, SecondsAddedPastSixtyAreFoldedIntoMinutesAtTheNextTick) {
    f->lblTotTrackTime->setText("9:00");
    app.v.iElapsedMin = 1;
    app.v.iElapsedSec = 74; // the update check added fifteen seconds to 0:59
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "2:15");
    EXPECT_EQ(app.v.iElapsedMin, 2);
    EXPECT_EQ(app.v.iElapsedSec, 15);
    EXPECT_EQ(f->ProgressBar->Value(), 135);
}

TEST_F(Display, UpdInfoSetsTheBarsRangeFromTheMillisecondAnswer) {
    app.v.bCDInDrive = app.v.bAudioCD = true;
    // The recording device gives one answer per command text: the millisecond
    // one is what the range is read from.
    reply("status cd1 length track 1", "253400");
    reply("status cd1 number of tracks wait", "12");
    app.v.iCurrentTrack = 1;
    f->lblArtist->setText("old");
    UpdInfo(app);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "status cd1 length track 1", "status cd1 number of tracks wait",
                          "set cd1 time format milliseconds", "status cd1 length track 1",
                          "set cd1 time format tmsf"}));
    EXPECT_EQ(f->lblArtist->text(), "-");
    EXPECT_EQ(f->lblAlbum->text(), "-");
    EXPECT_EQ(f->lblTotTracks->text(), "12");
    EXPECT_EQ(app.v.iTotalTracks, 12);
    EXPECT_EQ(f->ProgressBar->Max(), 253);
    EXPECT_EQ(f->lblTotTrackTime->text(), "25340") << "a length answer not starting with 0";
}

TEST_F(Display, UpdInfoWithTitlesTakesEverythingFromTheLookup) {
    app.v.bCDInDrive = app.v.bAudioCD = app.v.bCDDBFound = true;
    app.v.iCurrentTrack = 2;
    freedb->titles = {"a", "b", "c"};
    freedb->seconds = {59, 185, 3600};
    UpdInfo(app);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(f->lblTotTrackTime->text(), "3:05");
    EXPECT_EQ(f->ProgressBar->Max(), 185);
    EXPECT_EQ(f->lblTotTracks->text(), "3");
    EXPECT_EQ(f->lblArtist->text(), "The Artist");
    EXPECT_EQ(f->lblAlbum->text(), "The Album");
    app.v.iCurrentTrack = 3;
    UpdInfo(app);
    EXPECT_EQ(f->lblTotTrackTime->text(), "60:00");
}

TEST_F(Display, UpdInfoDoesNothingWithoutAnAudioDiscTakenIn) {
    app.v.bCDInDrive = true;
    app.v.bAudioCD = false;
    UpdInfo(app);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(app.v.ErrorTag, "UpdInfo_01");
}

TEST_F(Display, AMillisecondAnswerThatIsNoNumberEndsTheProgram) {
    app.v.bCDInDrive = app.v.bAudioCD = true;
    reply("status cd1 number of tracks wait", "12");
    reply("status cd1 length track 1", "04:13:62");
    EXPECT_THROW(UpdInfo(app), ProcessEnded);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text, "Type mismatch\rUpdInfo_02");
}
