#include "app/versiontext.h"
#include "cd/discloading.h"
#include "cd/drives.h"
#include "playerfixture.h"

using namespace vornap;
using namespace vornap::test;

namespace {
struct Loading : Player {
    void start(const OptionsValues& o, const di::DiscSpec& spec) {
        startWith(spec, o);
        EXPECT_EQ(f->lblTime->text(), "Loading...");
        // Entries a previous disc left, to see whether the table is rebuilt.
        f->cboCurrentTrack->addItem("1. Old");
        f->cboCurrentTrack->addItem("2. Old");
        tick();
    }
};
const di::DiscSpec twelve = audioDisc({3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
} // namespace

TEST_F(Loading, TheFirstTickTakesTheDiscInWithTheTableFromTheDevice) {
    start({}, twelve);
    QStringList numbers;
    for (int i = 1; i <= 12; ++i)
        numbers << QString::number(i);
    EXPECT_EQ(entries(f->cboCurrentTrack), numbers);
    EXPECT_EQ(f->cboCurrentTrack->text(), "1");
    EXPECT_EQ(f->lblTotTracks->text(), "12");
    EXPECT_EQ(f->lblArtist->text(), "-");
    EXPECT_EQ(f->lblAlbum->text(), "-");
    EXPECT_EQ(f->lblTotTrackTime->text(), "0:03");
    EXPECT_EQ(f->windowTitle(), "Vornap");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
    EXPECT_TRUE(app.v.bDeleteMenuItems && app.v.bLoadMenuItems);
    EXPECT_EQ(ask("status cd1 mode"), "stopped") << "the tick leaves cd1 open";
    // The tick ends in the track-menu procedures, which tag their first step.
    EXPECT_EQ(app.v.ErrorTag, "LoadMenuItems_01");
}

TEST_F(Loading, EveryCombinationOfTheThreeOptions) {
    start({.useCDDB = "1"}, twelve);
    EXPECT_EQ(app.v.sDiscId, "11005c03");
    EXPECT_EQ(freedb->clientName, "Vornap");
    EXPECT_EQ(freedb->clientVersion, VersionText());
    for (int bits = 0; bits < 8; ++bits) {
        const bool play = bits & 1, useLookup = bits & 2, lookupOnStart = bits & 4;
        SCOPED_TRACE("play " + std::to_string(play) + " use " + std::to_string(useLookup) +
                     " on start " + std::to_string(lookupOnStart));
        Variables& v = app.v;
        v.sPlayOnStart = play ? "1" : "0";
        v.sUseCDDB = useLookup ? "1" : "0";
        v.sCDDBOnStart = lookupOnStart ? "1" : "0";
        f->imgStop_Click();
        f->lblCDDB->setVisible(false);
        f->cboCurrentTrack->clear();
        f->cboCurrentTrack->addItem("kept");
        freedb->discIdAskedFor.clear();
        v.bLoadCD = true;
        GetCDInfo(app);

        EXPECT_EQ(freedb->discIdAskedFor, useLookup ? QStringList{"E:\\"} : QStringList{});
        EXPECT_EQ(f->lblCDDB->isVisibleTo(f.get()), useLookup);
        EXPECT_EQ(f->cboCurrentTrack->count(), 12) << "no titles found: the disc's own table";
        EXPECT_EQ(mode('E'), play ? Mode::Playing : Mode::Stopped);
        EXPECT_EQ(v.bPlaying, play);
        EXPECT_EQ(f->tmrTime->isActive(), play);
        EXPECT_FALSE(v.bLoadCD);
        EXPECT_EQ(f->lblTime->text(), "0:00");
    }
    seconds(2);
    EXPECT_EQ(f->lblTime->text(), "0:02") << "the last round plays";
}

TEST_F(Loading, ADataDiscIsNamedSoAndItsTableIsStillBuilt) {
    start({}, dataDisc());
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Data CD");
    EXPECT_FALSE(app.v.bAudioCD);
    EXPECT_EQ(entries(f->cboCurrentTrack), QStringList{"1"});
}

TEST_F(Loading, OnlyTheLoadRequestRebuildsAndItForgetsThePreviousTitles) {
    start({}, twelve);
    f->lblTime->setText("1:23");
    f->cboCurrentTrack->clear();
    GetCDInfo(app);
    EXPECT_EQ(f->lblTime->text(), "0:00");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0) << "no load request: only the time is set";

    app.v.bCDDBFound = true; // a lookup found the first disc
    app.v.bLoadCD = true;
    GetCDInfo(app);
    EXPECT_FALSE(app.v.bCDDBFound);
}

TEST_F(Loading, WithoutADiscTheLoadRequestIsDroppedAndTheLabelShownForTheLookup) {
    drive('E');
    writeOptions({.drive = "E:\\", .useCDDB = "1"});
    load();
    app.v.bLoadCD = true;
    GetCDInfo(app);
    EXPECT_FALSE(app.v.bLoadCD);
    EXPECT_TRUE(f->lblCDDB->isVisibleTo(f.get()));
    EXPECT_TRUE(freedb->discIdAskedFor.isEmpty());
}

TEST_F(CdUnit, AFailureWhileLoadingAddsTheSupportSentence) {
    drives->listings["D:\\"] = kAudioRoot;
    reply("status cd1 number of tracks wait", "x");
    app.v.bLoadCD = app.v.bCDInDrive = true;
    EXPECT_THROW(GetCDInfo(app), ProcessEnded);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text,
              "Type mismatch\rPlease contact Dravelle technical support for help.\rGetCDInfo_03");
}

TEST_F(CdUnit, OnlyALowerCaseCdaNameMakesAnAudioDisc) {
    app.v.bCDInDrive = true;
    const std::vector<std::pair<QStringList, bool>> cases{
        {{"README.TXT", "Track01.cda"}, true},
        {{"Track01.cda", "README.TXT"}, true},
        {{"TRACK01.CDA"}, false},
        {{"a.cdax", "b.txt"}, false},
    };
    for (const auto& [names, audio] : cases) {
        app.v.bAudioCD = !audio;
        drives->listings["D:\\"] = names;
        CheckCDContents(app, "D:\\");
        EXPECT_EQ(app.v.bAudioCD, audio) << names.join(',').toStdString();
    }
    // A disc gone while its root is listed counts as an empty listing.
    app.v.bAudioCD = true;
    drives->listings["D:\\"] = std::nullopt;
    CheckCDContents(app, "D:\\");
    EXPECT_TRUE(app.v.bAudioCD) << "an empty listing leaves the class as it was";
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    app.v.bCDInDrive = false;
    const int listed = drives->listed;
    CheckCDContents(app, "D:\\");
    EXPECT_EQ(drives->listed, listed) << "no disc taken in: nothing is listed";
}
