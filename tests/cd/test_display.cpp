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
    EXPECT_EQ(shown.indexOf("1:00"), 59);
    EXPECT_EQ(shown.indexOf("4:05"), 244);
    EXPECT_EQ(shown.last(), "4:05") << "the count stays at the length";
    EXPECT_EQ(f->ProgressBar->Value(), 245);
    // Seconds the update check added can pass 60: the next tick folds them.
    f->lblTotTrackTime->setText("20:00");
    app.v.iElapsedMin = 1;
    app.v.iElapsedSec = 74;
    f->tmrTime_Timer();
    EXPECT_EQ(f->lblTime->text(), "2:15");
    EXPECT_EQ(f->ProgressBar->Value(), 135);
}

// A drive that has just lost its disc fails (276), an answer may be no
// number: what cannot be read is left as it was, the time format is tmsf
// again, and the player goes on.
TEST_F(CdUnit, UpdInfoKeepsWhatTheDeviceCannotAnswer) {
    app.v.bCDInDrive = app.v.bAudioCD = true;
    // The length and count answers, and the length, count and bar's end shown.
    const std::tuple<RecordingMci::Reply, RecordingMci::Reply, QString> rows[] = {
        {{"253400", 0}, {"12", 0}, "25340 12 253"}, // milliseconds give the bar
        {{"", 276}, {"12", 0}, "old old 99"},
        {{"04:13:62", 0}, {"", 276}, "4:13 old 99"},
        {{"04:13:62", 0}, {"7", 0}, "4:13 7 99"}};
    for (const auto& [length, count, shown] : rows) {
        tp.mci->replies["status cd1 length track 1"] = length;
        tp.mci->replies["status cd1 number of tracks wait"] = count;
        f->lblTotTrackTime->setText("old");
        f->lblTotTracks->setText("old");
        f->ProgressBar->setMax(99);
        sent();
        UpdInfo(app);
        EXPECT_EQ(f->lblTotTrackTime->text() + ' ' + f->lblTotTracks->text() + ' ' +
                      QString::number(f->ProgressBar->Max()),
                  shown);
        std::string format = "set cd1 time format tmsf";
        for (const std::string& c : sent())
            if (c.rfind("set cd1 time format", 0) == 0)
                format = c;
        EXPECT_EQ(format, "set cd1 time format tmsf") << shown.toStdString();
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
