#include "app/fatal.h"
#include "freedb/querycddb.h"
#include "lookupsupport.h"
#include "platform/memoryregistry.h"
#include "support/apptest.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// Twelve tracks of 4:05, 1:00, 0:59, 60:00 and shorter ones after.
const std::vector<int> kSeconds = {245, 60, 59, 3600, 9, 10, 11, 12, 13, 14, 15, 16};

platform::DiscToc twelveTrackToc() {
    std::vector<int> starts;
    int at = 0;
    for (int s : kSeconds) {
        starts.push_back(at);
        at += s * 75;
    }
    return tocFromLsn(starts, at);
}

class QueryCddbTest : public ::testing::Test {
protected:
    QueryCddbTest() {
        qunsetenv("http_proxy");
        toc.discs["D:\\"] = twelveTrackToc();
        QList<QByteArray> titles;
        for (int i = 1; i <= 12; ++i)
            titles << "Song " + QByteArray::number(i);
        script.queryReply = "200 rock 11005c03 x\r\n";
        script.readReply =
            "210 rock x follows\r\n" + xmcdEntry("The Band / Greatest Hits", titles) + ".\r\n";

        frmCD& f = fx.form();
        LookupSettings settings;
        settings.totalTimeoutMs = 1000;
        settings.musicBrainzUrl = QStringLiteral("http://") + server.address();
        settings.musicBrainzIntervalMs = 0;
        auto component = std::make_unique<FreeDbLookup>(toc, fx.app.platform.registry.operator*(),
                                                        fx.dir.path(), settings);
        lookup = component.get();
        f.uFREEDB1 = std::move(component);

        auto& v = fx.app.v;
        v.sCDDrive = QStringLiteral("D:\\");
        v.sCDDBServer = server.address();
        v.sCDDBEmail = QStringLiteral("me@example.org");
        v.iCurrentTrack = 1;
        lookup->setClientName(QStringLiteral("Vornap"));
        lookup->setClientVersion(QStringLiteral("1.00"));
        v.sDiscId = lookup->GetDiscID(v.sCDDrive);
    }

    frmCD& f() { return fx.form(); }
    const std::vector<RecordingMessageBox::Shown>& boxes() { return fx.tp.messageBox->boxes; }

    // What the window shows, to check that a failed lookup changes none of it.
    QStringList screen() {
        QStringList s{f().lblArtist->text(),
                      f().lblAlbum->text(),
                      f().lblTotTracks->text(),
                      f().lblTotTrackTime->text(),
                      f().cboCDDrive->text(),
                      f().cboCurrentTrack->text(),
                      QString::number(f().cboCurrentTrack->count()),
                      QString::number(f().ProgressBar->Max())};
        return s;
    }

    AppFixture fx;
    FakeTocSource toc;
    CddbScript script;
    LocalHttpServer server{[this](const LocalHttpServer::Request& r) { return script(r); }};
    FreeDbLookup* lookup = nullptr;
};

} // namespace

TEST_F(QueryCddbTest, AnswerFillsLabelsDriveEntryTrackListAndProgressBar) {
    f().cboCurrentTrack->addItem("old 1");
    f().cboCurrentTrack->addItem("old 2");
    fx.app.v.iCurrentTrack = 3;

    f().lblCDDB_Click();

    auto& v = fx.app.v;
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(v.lMatchCount, 1);
    EXPECT_TRUE(v.bCDDBFound);
    EXPECT_EQ(f().lblArtist->text(), "The Band");
    EXPECT_EQ(f().lblAlbum->text(), "Greatest Hits");
    EXPECT_EQ(f().lblTotTracks->text(), "12");
    EXPECT_EQ(v.iTrackLen, 59);
    EXPECT_EQ(f().lblTotTrackTime->text(), "0:59");
    EXPECT_EQ(f().cboCDDrive->text(), "D:\\ - The Band - Greatest Hits");
    ASSERT_EQ(f().cboCurrentTrack->count(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(f().cboCurrentTrack->itemText(i), QStringLiteral("%1. Song %1").arg(i + 1));
    EXPECT_EQ(f().cboCurrentTrack->text(), "3. Song 3");
    EXPECT_EQ(f().ProgressBar->Max(), 59);
    EXPECT_EQ(v.ErrorTag, "QueryCDDB_04");
    // The client's e-mail and server reached the server.
    EXPECT_EQ(server.requests().front().query.queryItemValue("hello"),
              "me+example.org+Vornap+1.00");
}

TEST_F(QueryCddbTest, TrackLengthsShowMinutesWithoutFoldingHours) {
    const std::vector<std::pair<int, QString>> cases = {
        {1, "4:05"}, {2, "1:00"}, {3, "0:59"}, {4, "60:00"}, {5, "0:09"}};
    for (const auto& [track, text] : cases) {
        fx.app.v.iCurrentTrack = Integer(track);
        QueryCDDB(fx.app);
        EXPECT_EQ(f().lblTotTrackTime->text(), text) << track;
        EXPECT_EQ(fx.app.v.iTrackLenMin * 60 + fx.app.v.iTrackLenSec, kSeconds[track - 1]);
    }
    // After the first lookup the cache answered.
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(QueryCddbTest, EmptyDiscIdTellsTheUserAndClearsTheFoundFlagOnly) {
    QueryCDDB(fx.app);
    ASSERT_TRUE(fx.app.v.bCDDBFound);
    const QStringList before = screen();
    fx.app.v.sDiscId.clear();

    QueryCDDB(fx.app);

    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Cannot read from CD-ROM, insert a CD or restart Vornap");
    EXPECT_EQ(boxes()[0].caption, "CDDB Error");
    EXPECT_FALSE(fx.app.v.bCDDBFound);
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(QueryCddbTest, NoEntryAsksForASubmissionAndLeavesEverythingAsItWas) {
    QueryCDDB(fx.app);
    const QStringList before = screen();
    QDir(fx.dir.filePath("CDDB")).removeRecursively();
    script.queryReply = "202 No match for disc ID.\r\n";
    EXPECT_FALSE(lookup->submitMode());

    QueryCDDB(fx.app);

    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "No entry found, please input information and submit.");
    EXPECT_EQ(boxes()[0].caption, "Error");
    EXPECT_TRUE(lookup->submitMode());
    EXPECT_EQ(fx.app.v.lMatchCount, 0);
    EXPECT_TRUE(fx.app.v.bCDDBFound); // from the earlier disc
    EXPECT_EQ(screen(), before);
}

TEST_F(QueryCddbTest, AFailedLookupIsReportedAndChangesNothingElse) {
    QueryCDDB(fx.app);
    const QStringList before = screen();
    QDir(fx.dir.filePath("CDDB")).removeRecursively();
    script.queryReply = "500 Unknown developer email. Please register.\r\n";

    QueryCDDB(fx.app); // ends normally: no ProcessEnded

    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, "CDDB Error");
    EXPECT_TRUE(boxes()[0].text.contains(server.address()));
    EXPECT_TRUE(boxes()[0].text.contains("500 Unknown developer email. Please register."));
    EXPECT_FALSE(lookup->submitMode());
    EXPECT_TRUE(fx.app.v.bCDDBFound);
    EXPECT_EQ(screen(), before);

    script.neverAnswer = true;
    QueryCDDB(fx.app);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1].caption, "CDDB Error");
    EXPECT_EQ(screen(), before);
}

TEST_F(QueryCddbTest, TitlesAreNeverReadAsMarkup) {
    script.readReply = "210 rock x follows\r\n" +
                       xmcdEntry("<b>x</b><img src=/tmp/a.png> / <i>y</i>", {"<a href='z'>t</a>"}) +
                       ".\r\n";
    QueryCDDB(fx.app);
    EXPECT_EQ(f().lblArtist->text(), "<b>x</b><img src=/tmp/a.png>");
    EXPECT_EQ(f().lblArtist->textFormat(), Qt::PlainText);
    EXPECT_EQ(f().lblAlbum->textFormat(), Qt::PlainText);
    EXPECT_EQ(f().cboCurrentTrack->itemText(0), "1. <a href='z'>t</a>");
}

TEST_F(QueryCddbTest, ComponentFailuresEndInTheFatalBox) {
    // An answer the component cannot give, or one the window cannot take.
    class BrokenAnswer final : public FreeDbControl {
    public:
        String GetDiscID(const String&) override { return {}; }
        void setClientName(const String&) override {}
        void setClientVersion(const String&) override {}
        void setEmailAddress(const String&) override {}
        void setServerName(const String&) override {}
        Long QueryDisc(const String&) override { return 1; }
        String DiscArtist() const override { return QStringLiteral("A"); }
        String DiscTitle() const override { return QStringLiteral("B"); }
        Long TrackCount() const override { return trackCount; }
        String TrackTitle(Integer) const override { return {}; }
        Integer TrackSeconds(Integer) const override {
            if (failSeconds)
                throw RuntimeError(440, QStringLiteral("Automation error"));
            return 1;
        }
        void setSubmitMode(Boolean) override {}
        void setOptionFlag(Boolean) override {}
        bool failSeconds = true;
        Long trackCount = 3;
    };
    auto broken = std::make_unique<BrokenAnswer>();
    BrokenAnswer& answer = *broken;
    f().uFREEDB1 = std::move(broken);
    EXPECT_THROW(QueryCDDB(fx.app), ProcessEnded);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Automation error\rQueryCDDB_02");

    // 40000 tracks do not fit the 16-bit count the track list is built with.
    answer.failSeconds = false;
    answer.trackCount = 40000;
    EXPECT_THROW(QueryCDDB(fx.app), ProcessEnded);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_TRUE(boxes()[1].text.startsWith("Overflow\r")) << boxes()[1].text.toStdString();
}
