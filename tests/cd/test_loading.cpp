#include "app/versiontext.h"
#include "cd/discloading.h"
#include "cd/drives.h"
#include "playerfixture.h"

using namespace vornap;
using namespace vornap::test;

// Play on start, FreeDB and the start-up query in every combination: the
// disc's own table when no titles come, play only when asked.
TEST_F(Player, EveryCombinationOfTheThreeOptions) {
    startWith(audioDisc(std::vector<int>(12, 3)), {.useCDDB = "1"});
    tick();
    EXPECT_EQ(app.v.sDiscId, "11005c03");
    EXPECT_EQ(freedb->clientVersion, VersionText());
    for (int bits = 0; bits < 8; ++bits) {
        const bool play = bits & 1, useLookup = bits & 2, lookupOnStart = bits & 4;
        SCOPED_TRACE(bits);
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
        EXPECT_EQ(f->cboCurrentTrack->count(), 12);
        EXPECT_EQ(mode('E'), play ? Mode::Playing : Mode::Stopped);
        EXPECT_EQ(f->tmrTime->isActive(), play);
        EXPECT_EQ(f->lblTime->text(), "0:00");
    }
    seconds(2);
    EXPECT_EQ(f->lblTime->text(), "0:02") << "the last round plays";
}

// A disc gone while its root is listed (no listing) leaves the class as it was.
TEST_F(CdUnit, OnlyALowerCaseCdaNameMakesAnAudioDisc) {
    app.v.bCDInDrive = true;
    const std::pair<std::optional<QStringList>, bool> cases[] = {
        {QStringList{"README.TXT", "Track01.cda"}, true},
        {QStringList{"TRACK01.CDA"}, false},
        {QStringList{"a.cdax", "b.txt"}, false},
        {std::nullopt, false},
        {QStringList{"Track01.cda"}, true},
        {std::nullopt, true}};
    for (const auto& [names, audio] : cases) {
        if (names)
            app.v.bAudioCD = !audio;
        drives->listings["D:\\"] = names;
        CheckCDContents(app, "D:\\");
        EXPECT_EQ(app.v.bAudioCD, audio)
            << names.value_or(QStringList{"none"}).join(',').toStdString();
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
