#include "app/fatal.h"
#include "freedb/querycddb.h"
#include "lookupsupport.h"
#include "platform/memoryregistry.h"
#include "support/apptest.h"
#include "support/fakefreedb.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
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
        return {f().lblArtist->text(),
                f().lblAlbum->text(),
                f().lblTotTracks->text(),
                f().lblTotTrackTime->text(),
                f().cboCDDrive->text(),
                f().cboCurrentTrack->text(),
                QString::number(f().cboCurrentTrack->count()),
                QString::number(f().ProgressBar->Max())};
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
    EXPECT_EQ(f().lblTotTrackTime->text(), "0:59");
    EXPECT_EQ(f().cboCDDrive->text(), "D:\\ - The Band - Greatest Hits");
    QStringList items, expected;
    for (int i = 0; i < f().cboCurrentTrack->count(); ++i)
        items << f().cboCurrentTrack->itemText(i);
    for (int i = 1; i <= 12; ++i)
        expected << QStringLiteral("%1. Song %1").arg(i);
    EXPECT_EQ(items, expected);
    EXPECT_EQ(f().cboCurrentTrack->text(), "3. Song 3");
    EXPECT_EQ(f().ProgressBar->Max(), 59);
    const auto query = server.requests().front();
    EXPECT_EQ(query.path, "/~cddb/cddb.cgi");
    EXPECT_EQ(query.query.queryItemValue("hello"), "me+example.org+Vornap+1.00");
    EXPECT_EQ(query.query.queryItemValue("proto"), "6");
    EXPECT_EQ(query.headers.at("host"), server.address().toUtf8());
    EXPECT_TRUE(query.query.queryItemValue("cmd").startsWith("cddb+query+" + fx.app.v.sDiscId +
                                                             "+12+150+18525+"));
    EXPECT_EQ(server.requests()[1].query.queryItemValue("cmd"), "cddb+read+rock+11005c03");

    // A click asks the server again rather than the cache; its new answer shows.
    script.readReply.replace("Greatest Hits", "Best Of");
    f().lblCDDB_Click();
    EXPECT_EQ(server.requestCount(), 4u);
    EXPECT_EQ(f().lblAlbum->text(), "Best Of");
}

TEST_F(QueryCddbTest, TheWindowPaintsWhileTheServerIsSlowAndTakesNoClick) {
    // Counts the paints of the time label while it reads "Loading...".
    struct PaintCounter : QObject {
        int loading = 0;
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::Paint &&
                static_cast<QLabel*>(watched)->text() == QLatin1String("Loading..."))
                ++loading;
            return false;
        }
    } counter;
    f().lblTime->setText("0:07");
    f().lblTime->installEventFilter(&counter);
    f().show();
    script.delay = std::chrono::milliseconds(400);
    // A click on "Query CDDB" while the lookup waits must not start another.
    QTimer::singleShot(100, f().lblCDDB, [this] {
        const QPointF at(2, 2);
        QMouseEvent release(QEvent::MouseButtonRelease, at, f().lblCDDB->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f().lblCDDB, &release);
    });

    f().lblCDDB_Click();
    EXPECT_GE(counter.loading, 1);
    EXPECT_EQ(f().lblTime->text(), "0:07");
    EXPECT_EQ(f().lblAlbum->text(), "Greatest Hits");
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(QueryCddbTest, AnotherMatchCanBeChosenAndShowsEverywhere) {
    script.readReply.clear();
    script.queryReply = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                        "rock 0a0b0c0c The Band / Greatest Hits\r\n"
                        "misc 0a0b0c0b The Band / Live\r\n.\r\n";
    QList<QByteArray> titles;
    for (int i = 1; i <= 12; ++i)
        titles << "Song " + QByteArray::number(i);
    script.entries["rock 0a0b0c0c"] = xmcdEntry("The Band / Greatest Hits", titles);
    script.entries["misc 0a0b0c0b"] = xmcdEntry("The Band / Live", {"Intro", "Outro"});
    QueryCDDB(fx.app);
    EXPECT_EQ(fx.app.v.lMatchCount, 2);
    EXPECT_EQ(f().lblAlbum->text(), "Greatest Hits");

    ChooseMatch(fx.app, 1);
    EXPECT_EQ(f().lblAlbum->text(), "Live");
    EXPECT_EQ(f().cboCDDrive->text(), "D:\\ - The Band - Live");
    EXPECT_EQ(f().lblTotTracks->text(), "12") << "the disc's own count";
    EXPECT_EQ(f().cboCurrentTrack->itemText(1), "2. Outro");
    EXPECT_EQ(f().cboCurrentTrack->itemText(2), "3. ");
    EXPECT_EQ(f().ProgressBar->Max(), 245);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(QueryCddbTest, TrackLengthsShowMinutesWithoutFoldingHours) {
    for (const auto& [track, text] :
         std::vector<std::pair<Integer, QString>>{{1, "4:05"}, {4, "60:00"}, {5, "0:09"}}) {
        fx.app.v.iCurrentTrack = track;
        QueryCDDB(fx.app);
        EXPECT_EQ(f().lblTotTrackTime->text(), text) << track;
        EXPECT_EQ(fx.app.v.iTrackLenMin * 60 + fx.app.v.iTrackLenSec, kSeconds[track - 1]);
    }
    EXPECT_EQ(server.requestCount(), 2u) << "after the first lookup the cache answered";
}

TEST_F(QueryCddbTest, FailuresAndMissesAreToldAndLeaveTheScreenAsItWas) {
    QueryCDDB(fx.app);
    ASSERT_TRUE(fx.app.v.bCDDBFound);
    const QStringList before = screen();
    QDir(fx.dir.filePath("CDDB")).removeRecursively();

    // Every source failed: the box says what each answered.
    script.queryReply = "500 Unknown developer email. Please register.\r\n";
    script.musicBrainz = {503, "busy"};
    QueryCDDB(fx.app); // ends normally: no ProcessEnded
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, "CDDB Error");
    for (const QString& said :
         {server.address() + ": 500 Unknown developer email. Please register.",
          server.address() + ": HTTP status 503", QStringLiteral("CD-TEXT: the disc carries none")})
        EXPECT_TRUE(boxes()[0].text.contains(said)) << boxes()[0].text.toStdString();
    EXPECT_EQ(screen(), before);

    script.queryReply = "202 No match for disc ID.\r\n";
    EXPECT_FALSE(lookup->submitMode());
    QueryCDDB(fx.app);
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[1].text, "No entry found, please input information and submit.");
    EXPECT_EQ(boxes()[1].caption, "Error");
    EXPECT_TRUE(lookup->submitMode());
    EXPECT_EQ(fx.app.v.lMatchCount, 0);
    EXPECT_TRUE(fx.app.v.bCDDBFound) << "from the earlier disc";
    EXPECT_EQ(screen(), before);

    script.neverAnswer = true;
    QueryCDDB(fx.app);
    ASSERT_EQ(boxes().size(), 3u);
    EXPECT_EQ(boxes()[2].caption, "CDDB Error");
    EXPECT_EQ(screen(), before);

    const std::size_t requests = server.requestCount();
    fx.app.v.sDiscId.clear();
    QueryCDDB(fx.app);
    ASSERT_EQ(boxes().size(), 4u);
    EXPECT_EQ(boxes()[3].text, "Cannot read from CD-ROM, insert a CD or restart Vornap");
    EXPECT_EQ(boxes()[3].caption, "CDDB Error");
    EXPECT_FALSE(fx.app.v.bCDDBFound);
    EXPECT_EQ(screen(), before);
    EXPECT_EQ(server.requestCount(), requests);
}
