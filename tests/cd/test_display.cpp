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

    // A drive that has just lost its disc fails (276), an answer may be no
    // number: what cannot be read is left as it was, the time format is
    // tmsf again, and the player goes on.
    struct Row {
        RecordingMci::Reply length, count;
        QString shownLength, shownCount;
    };
    const std::vector<Row> rows{
        {{"", 276}, {"12", 0}, "old", "old"},
        {{"04:13:62", 0}, {"", 276}, "4:13", "old"},
        {{"04:13:62", 0}, {"7", 0}, "4:13", "7"}, // no milliseconds for the bar
    };
    for (const Row& row : rows) {
        tp.mci->replies["status cd1 length track 1"] = row.length;
        tp.mci->replies["status cd1 number of tracks wait"] = row.count;
        f->lblTotTrackTime->setText("old");
        f->lblTotTracks->setText("old");
        f->ProgressBar->setMax(99);
        sent();
        UpdInfo(app);
        EXPECT_EQ(f->lblTotTrackTime->text(), row.shownLength);
        EXPECT_EQ(f->lblTotTracks->text(), row.shownCount);
        EXPECT_EQ(f->ProgressBar->Max(), 99);
        std::string format = "set cd1 time format tmsf";
        for (const std::string& c : sent())
            if (c.rfind("set cd1 time format", 0) == 0)
                format = c;
        EXPECT_EQ(format, "set cd1 time format tmsf");
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
