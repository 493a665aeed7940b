#include "cd/display.h"
#include "cdfixture.h"

using namespace vornap;
using namespace vornap::test;

TEST_F(CdUnit, TheElapsedTimeFoldsSecondsIntoMinutesAndStopsAtTheTrackLength) {
    f->lblTotTrackTime->setText("4:05");
    QStringList shown;
    for (int i = 0; i < 300; ++i) {
        f->tmrTime_Timer();
        shown << f->lblTime->text();
    }
    EXPECT_EQ(shown.first(), "0:01");
    EXPECT_EQ(shown.indexOf("1:00"), 59);
    EXPECT_EQ(shown.indexOf("4:05"), 244);
    EXPECT_EQ(shown.last(), "4:05") << "the count stays at the length";
    EXPECT_EQ(f->ProgressBar->Value(), 245);

    f->lblTotTrackTime->setText("20:00");
    app.v.iElapsedMin = 9;
    app.v.iElapsedSec = 59;
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "10:00");
    EXPECT_EQ(f->ProgressBar->Value(), 600);
    // Seconds the update check added can pass 60: the next tick folds them.
    app.v.iElapsedMin = 1;
    app.v.iElapsedSec = 74;
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "2:15");
    EXPECT_EQ(app.v.iElapsedMin * 60 + app.v.iElapsedSec, 135);
    EXPECT_EQ(f->ProgressBar->Value(), 135);
}

TEST_F(CdUnit, UpdInfoReadsTheDeviceOnlyForAnAudioDiscAndTheBarFromMilliseconds) {
    app.v.bCDInDrive = true;
    UpdInfo(app);
    EXPECT_TRUE(sent().empty()) << "no audio disc";
    EXPECT_EQ(app.v.ErrorTag, "UpdInfo_01");

    app.v.bAudioCD = true;
    // One answer per command text: the millisecond one gives the range.
    reply("status cd1 length track 1", "253400");
    reply("status cd1 number of tracks wait", "12");
    f->lblArtist->setText("old");
    UpdInfo(app);
    EXPECT_EQ(sent(), (std::vector<std::string>{
                          "status cd1 length track 1", "status cd1 number of tracks wait",
                          "set cd1 time format milliseconds", "status cd1 length track 1",
                          "set cd1 time format tmsf"}));
    EXPECT_EQ(f->lblArtist->text(), "-");
    EXPECT_EQ(f->lblAlbum->text(), "-");
    EXPECT_EQ(f->lblTotTracks->text(), "12");
    EXPECT_EQ(f->ProgressBar->Max(), 253);
    EXPECT_EQ(f->lblTotTrackTime->text(), "25340") << "a length answer not starting with 0";

    reply("status cd1 length track 1", "04:13:62");
    EXPECT_THROW(UpdInfo(app), ProcessEnded);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text, "Type mismatch\rUpdInfo_02");
}
