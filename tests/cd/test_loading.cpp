#include "app/versiontext.h"
#include "cd/discloading.h"
#include "cd/drives.h"
#include "playerfixture.h"

using namespace vornap;
using namespace vornap::test;

namespace {
const di::DiscSpec twelve = audioDisc({3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3});
} // namespace

// Play on start, FreeDB and the start-up query in every combination: the
// disc's own table when no titles come, play only when asked.
TEST_F(Player, EveryCombinationOfTheThreeOptions) {
    startWith(twelve, {.useCDDB = "1"});
    tick();
    EXPECT_EQ(f->lblArtist->text(), "-");
    EXPECT_EQ(f->cboCDDrive->text(), "E:\\ - Unknown Album");
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

TEST_F(CdUnit, OnlyALowerCaseCdaNameMakesAnAudioDisc) {
    app.v.bCDInDrive = true;
    const std::vector<std::pair<QStringList, bool>> cases{
        {{"README.TXT", "Track01.cda"}, true},
        {{"TRACK01.CDA"}, false},
        {{"a.cdax", "b.txt"}, false},
    };
    for (const auto& [names, audio] : cases) {
        app.v.bAudioCD = !audio;
        drives->listings["D:\\"] = names;
        CheckCDContents(app, "D:\\");
        EXPECT_EQ(app.v.bAudioCD, audio) << names.join(',').toStdString();
    }
    // A disc gone while its root is listed leaves the class as it was.
    drives->listings["D:\\"] = std::nullopt;
    CheckCDContents(app, "D:\\");
    EXPECT_FALSE(app.v.bAudioCD);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}
