#include "faults/robustnessrow.h"
#include "freedb/discids.h"
#include "freedb/freedblookup.h"
#include "freedb/frmsetproxy.h"
#include "freedb/proxysetting.h"
#include "freedb/querycddb.h"
#include "options/registry.h"
#include "support/apptest.h"
#include "support/dialogoptions.h"
#include "support/dirs.h"
#include "support/files.h"
#include "support/localhttp.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// The drive table's TOC seam, answering from the discs the test inserts.
struct FakeTocSource final : platform::DiscTocSource {
    std::optional<platform::DiscToc> readToc(const std::string& root) override {
        const auto it = discs.find(root);
        return it == discs.end() ? std::nullopt : std::optional(it->second);
    }
    std::map<std::string, platform::DiscToc> discs;
};

// A TOC from track starts and lead-out as logical sector numbers (no 150 offset).
platform::DiscToc tocFromLsn(const std::vector<int>& starts, int leadOut,
                             std::vector<bool> data = {}) {
    platform::DiscToc toc;
    toc.firstTrack = 1;
    toc.lastTrack = int(starts.size());
    for (int s : starts)
        toc.trackOffsets.push_back(s + 150);
    toc.dataTrack = data.empty() ? std::vector<bool>(starts.size(), false) : data;
    toc.leadOut = leadOut + 150;
    return toc;
}

// The disc of the measured recipe, FreeDB 11005c03: tracks of 20, 7 and 65 s.
platform::DiscToc knownToc() {
    return tocFromLsn({0, 1500, 2025}, 6900);
}

// An xmcd entry as a server sends it.
QByteArray xmcdEntry(const QByteArray& discTitle, const QList<QByteArray>& titles,
                     const std::vector<int>& offsets = {}, int discLength = 0) {
    QByteArray text = "# xmcd\n#\n";
    if (!offsets.empty()) {
        text += "# Track frame offsets:\n";
        for (int o : offsets)
            text += "#\t" + QByteArray::number(o) + "\n";
        text += "#\n# Disc length: " + QByteArray::number(discLength) + " seconds\n#\n";
    }
    text += "DISCID=11005c03\nDTITLE=" + discTitle + "\nDYEAR=1999\nDGENRE=Rock\n";
    for (int i = 0; i < titles.size(); ++i)
        text += "TTITLE" + QByteArray::number(i) + "=" + titles[i] + "\n";
    return text + "EXTD=\nPLAYORDER=\n";
}

// A CDDB server: its reply to "cddb query", entries by "category discid"
// (or one reply to every read), and its MusicBrainz disc-ID service.
struct CddbScript {
    QByteArray queryReply;
    std::map<QString, QByteArray> entries;
    QByteArray readReply;
    LocalHttpServer::Reply musicBrainz{404, "{\"error\":\"Not Found\"}", "application/json"};
    std::chrono::milliseconds delay{0}; // before every answer

    LocalHttpServer::Reply operator()(const LocalHttpServer::Request& r) const {
        std::this_thread::sleep_for(delay);
        if (r.path.startsWith(QLatin1String("/ws/2/discid/")))
            return musicBrainz;
        const QStringList words = r.query.queryItemValue(QStringLiteral("cmd")).split(u'+');
        if (words.value(1) == QLatin1String("query"))
            return {200, queryReply};
        if (!readReply.isEmpty())
            return {200, readReply};
        const QString key = words.value(2) + u' ' + words.value(3);
        const auto it = entries.find(key);
        if (it == entries.end())
            return {200, "401 " + key.toUtf8() + " No such CD entry in database.\r\n"};
        return {200, "210 " + key.toUtf8() + " CD database entry follows\r\n" +
                         QByteArray(it->second).replace("\n", "\r\n") + ".\r\n"};
    }
};

const QByteArray kRefused = "500 Unknown developer email. Please register.\r\n";
const QByteArray kNoMatch = "202 No match for disc ID 11005c03.\r\n";
const QString kNone = QStringLiteral("(none)");

// The window with the real lookup component for the disc in D:, asking a
// local CDDB server that also serves MusicBrainz's disc-ID service.
class QueryCddbTest : public ::testing::Test {
protected:
    QueryCddbTest() {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy"})
            qunsetenv(name);
        toc.discs["D:\\"] = knownToc();
        script.queryReply = "200 rock 11005c03 x\r\n";
        script.readReply = "210 rock 11005c03 follows\r\n" +
                           xmcdEntry("The Band / Greatest Hits", {"Song 1", "Song 2", "Song 3"}) +
                           ".\r\n";
        auto component = fresh();
        lookup = component.get();
        fx.form().uFREEDB1 = std::move(component);
        auto& v = fx.app.v;
        v.sCDDrive = QStringLiteral("D:\\");
        v.sCDDBServer = server.address();
        v.sCDDBEmail = QStringLiteral("me@example.org");
        v.iCurrentTrack = 1;
        v.sDiscId = lookup->GetDiscID(v.sCDDrive);
    }

    // A lookup component over the test's disc, server and cache.
    std::unique_ptr<FreeDbLookup> fresh() {
        LookupSettings settings;
        settings.connectTimeoutMs = 1000;
        settings.totalTimeoutMs = 1500;
        settings.musicBrainzUrl = server.base();
        settings.musicBrainzIntervalMs = 0;
        auto c =
            std::make_unique<FreeDbLookup>(toc, *fx.app.platform.registry, fx.dir.path(), settings);
        c->setClientVersion(QStringLiteral("1.00"));
        c->setEmailAddress(QStringLiteral("me@example.org"));
        c->setServerName(server.address());
        EXPECT_EQ(c->GetDiscID(QStringLiteral("D:\\")), "11005c03");
        return c;
    }
    // What a lookup of the disc ends in: the album, kNone, or the failure's
    // lines, "source: answer" for each source.
    QString outcome(FreeDbLookup* c = nullptr) {
        c = c ? c : lookup;
        c->GetDiscID(QStringLiteral("D:\\"));
        c->askAgain();
        try {
            return c->QueryDisc(QStringLiteral("11005c03")) ? c->DiscTitle() : kNone;
        } catch (const LookupFailure& failure) {
            return QString::fromStdString(failure.what());
        }
    }
    frmCD& f() { return fx.form(); }
    const std::vector<RecordingMessageBox::Shown>& boxes() { return fx.tp.messageBox->boxes; }
    // What the window shows of the disc.
    QStringList screen() {
        QStringList items;
        for (int i = 0; i < f().cboCurrentTrack->count(); ++i)
            items << f().cboCurrentTrack->itemText(i);
        return {f().lblArtist->text(),       f().lblAlbum->text(),
                f().lblTotTracks->text(),    f().lblTotTrackTime->text(),
                f().cboCDDrive->text(),      items.join(u'|'),
                f().cboCurrentTrack->text(), QString::number(f().ProgressBar->Max())};
    }
    QStringList cacheFiles() const {
        QStringList files;
        QDir root(fx.dir.filePath(QStringLiteral("CDDB")));
        for (const QString& c : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString& f : QDir(root.filePath(c)).entryList(QDir::Files))
                files << c + u'/' + f;
        return files;
    }

    AppFixture fx;
    FakeTocSource toc;
    CddbScript script;
    LocalHttpServer server{[this](const LocalHttpServer::Request& r) { return script(r); }};
    FreeDbLookup* lookup = nullptr;
};

} // namespace

TEST_F(QueryCddbTest, AnswerFillsTheWindowAndAClickAsksTheServerAgain) {
    f().cboCurrentTrack->addItem("old 1");
    fx.app.v.iCurrentTrack = 3;
    f().lblCDDB_Click();
    EXPECT_TRUE(boxes().empty() && fx.app.v.bCDDBFound);
    EXPECT_EQ(screen(), (QStringList{"The Band", "Greatest Hits", "3", "1:05",
                                     "D:\\ - The Band - Greatest Hits",
                                     "1. Song 1|2. Song 2|3. Song 3", "3. Song 3", "65"}));
    const auto query = server.requests().front();
    EXPECT_EQ(query.path, "/~cddb/cddb.cgi");
    EXPECT_EQ(query.query.queryItemValue("hello"), "me+example.org+Vornap+1.00");
    EXPECT_EQ(query.query.queryItemValue("proto"), "6");
    EXPECT_EQ(query.headers.at("host"), server.address().toUtf8());
    EXPECT_EQ(query.query.queryItemValue("cmd"), "cddb+query+11005c03+3+150+1650+2175+94");
    EXPECT_EQ(server.requests()[1].query.queryItemValue("cmd"), "cddb+read+rock+11005c03");

    script.readReply.replace("Greatest Hits", "Best Of");
    f().lblCDDB_Click();
    EXPECT_EQ(server.requestCount(), 4u);
    EXPECT_EQ(f().lblAlbum->text(), "Best Of");

    // Minutes are not folded into hours; after the first lookup the cache answers.
    toc.discs["D:\\"] = tocFromLsn({0, 245 * 75, 3845 * 75}, 3854 * 75);
    fx.app.v.sDiscId = lookup->GetDiscID(QStringLiteral("D:\\"));
    for (const auto& [track, text] :
         std::vector<std::pair<Integer, QString>>{{1, "4:05"}, {2, "60:00"}, {3, "0:09"}}) {
        fx.app.v.iCurrentTrack = track;
        QueryCDDB(fx.app);
        EXPECT_EQ(f().lblTotTrackTime->text(), text) << track;
    }
    EXPECT_EQ(server.requestCount(), 6u);
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

TEST_F(QueryCddbTest, SeveralMatchesTakeTheBestFitAnotherCanBeChosenAndAskingAgainReplacesIt) {
    // An inexact match as gnudb lists it: a pressing with a bonus track first.
    script.readReply.clear();
    script.queryReply = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                        "rock 22AA0B04 Band / Album (Bonus Edition)\r\nnot a match\r\n"
                        "jazz 123 short id\r\nrock 33bb0c03 Band / Album\r\n.\r\nafter\r\n";
    script.entries["rock 22aa0b04"] = xmcdEntry(
        "Band / Album (Bonus Edition)", {"a", "b", "c", "Bonus"}, {150, 1650, 2175, 5000}, 120);
    script.entries["rock 33bb0c03"] =
        xmcdEntry("Band / Album", {"One", "Two", "Three"}, {182, 1682, 2207}, 95);
    f().lblCDDB_Click();
    EXPECT_EQ(fx.app.v.lMatchCount, 2);
    EXPECT_EQ(f().lblAlbum->text(), "Album");
    EXPECT_TRUE(lookup->matchNames().value(1).contains("Bonus Edition"));
    EXPECT_EQ(cacheFiles(), QStringList{"rock/11005c03"});

    // The other pressing's titles; the count and lengths stay the disc's.
    ChooseMatch(fx.app, 1);
    EXPECT_EQ(screen(),
              (QStringList{"Band", "Album (Bonus Edition)", "3", "0:20",
                           "D:\\ - Band - Album (Bonus Edition)", "1. a|2. b|3. c", "1. a", "20"}));
    EXPECT_FALSE(lookup->chooseMatch(2));
    auto again = fresh();
    EXPECT_EQ(again->QueryDisc(QStringLiteral("11005c03")), 1) << "the cache answers";
    EXPECT_EQ(again->DiscTitle(), "Album (Bonus Edition)") << "the cache follows the choice";

    // Asked again by hand, the server's answer replaces the cached entry,
    // also when it files the disc under another category.
    script.queryReply = "210 Found exact matches, list follows (until terminating `.')\r\n"
                        "jazz 11005c03 Band / Album Remastered\r\n.\r\n";
    script.entries["jazz 11005c03"] = xmcdEntry("Band / Album Remastered", {"x", "y", "z"});
    f().lblCDDB_Click();
    EXPECT_EQ(f().lblAlbum->text(), "Album Remastered");
    EXPECT_EQ(cacheFiles(), QStringList{"jazz/11005c03"});
    EXPECT_TRUE(boxes().empty());
}

// What each failure says is walked in faults/test_lookupfaults.
TEST_F(QueryCddbTest, AFailedOrFruitlessClickLeavesTheScreenAndCacheAsTheyWere) {
    f().lblCDDB_Click();
    const QStringList before = screen();
    script.musicBrainz = {503, "busy"};
    for (const QByteArray& reply : {kRefused, kNoMatch}) {
        script.queryReply = reply;
        f().lblCDDB_Click(); // ends normally: no ProcessEnded
        EXPECT_EQ(screen(), before);
        EXPECT_EQ(cacheFiles(), QStringList{"rock/11005c03"});
    }
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0].caption + '|' + boxes()[1].caption, "CDDB Error|Error");
    EXPECT_TRUE(lookup->submitMode() && fx.app.v.bCDDBFound) << "titles from the earlier answer";
}

// Recorded MusicBrainz answers (the fuzz corpus's seeds): to a TOC whose
// exact disc ID it lacks, two releases with the disc's track count (the
// second fits its offsets) and a box set; to the exact ID, a set whose
// second medium is this disc.
QByteArray musicBrainzReply(const char* name) {
    return readFile(sourceDir() + "/fuzz/corpus/musicbrainz/" + name);
}

TEST_F(QueryCddbTest, EachSourceIsAskedWhenTheOneBeforeRefusedFailedOrFoundNothing) {
    const LocalHttpServer::Reply busy{503, "Service Temporarily Unavailable"};
    const QString cafe = QString::fromUtf8("Caf\xc3\xa9 Songs");
    // CD-TEXT after both servers is walked in faults/test_lookupfaults.
    const std::vector<std::tuple<QByteArray, LocalHttpServer::Reply, QString>> rows{
        {kRefused, {200, musicBrainzReply("fuzzy-releases")}, cafe},
        {kRefused, {200, musicBrainzReply("release")}, cafe},
        {kRefused, script.musicBrainz, kNone},
        {kNoMatch, busy, kNone},
    };
    for (const auto& [cddb, musicBrainz, album] : rows) {
        SCOPED_TRACE(cddb.toStdString() + musicBrainz.body.left(20).toStdString());
        QDir(fx.dir.filePath("CDDB")).removeRecursively();
        script.queryReply = cddb;
        script.musicBrainz = musicBrainz;
        const std::size_t before = server.requestCount();
        EXPECT_EQ(outcome(), album);
        EXPECT_EQ(server.requestCount() - before, 2u) << "one query to each server";
        // Only a server's answer is cached: the disc is read again next time.
        EXPECT_EQ(cacheFiles().size(), album == cafe ? 1 : 0);
        if (album == cafe) {
            EXPECT_EQ(lookup->DiscArtist(), "Anna & Bo");
            EXPECT_EQ(lookup->TrackTitle(3), "Tres") << "the recording's title fills a gap";
            EXPECT_EQ(lookup->TrackSeconds(1), 20);
        }
    }
    const auto mb = server.requests().back();
    EXPECT_EQ(mb.path, "/ws/2/discid/SJdpcXRHi_Slapm_id4X7rNm8FA-");
    EXPECT_EQ(mb.query.queryItemValue("toc"), "1+3+7050+150+1650+2175");
    EXPECT_EQ(mb.query.queryItemValue("fmt"), "json");
    EXPECT_TRUE(mb.query.queryItemValue("inc").contains("recordings"));
    EXPECT_TRUE(mb.headers.at("user-agent").startsWith("Vornap/1.00"));
    EXPECT_FALSE(mb.headers.at("user-agent").contains("me@")) << "the e-mail is for CDDB only";
    script.musicBrainz = std::get<1>(rows[0]);
    outcome();
    EXPECT_EQ(lookup->matchNames().size(), 2);
    EXPECT_TRUE(lookup->matchNames().value(1).contains("Club Edition"));
}

TEST_F(QueryCddbTest, RefusalsUnreadableRepliesAndUnreachableServersAreFailuresNamingTheirCause) {
    script.musicBrainz = {503, "busy"};
    LocalHttpServer missing([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{404, "no such page"};
    });
    LocalHttpServer hangUp([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.closeAtOnce = true};
    });
    const QString unreadable = "the server's reply could not be read";
    const QString badEntry = "the disc entry could not be read";
    const QByteArray match = "200 rock 11005c03 The Artist / The Album\r\n";
    const QByteArray entry = "210 rock 11005c03 follows\r\n" + xmcdEntry("A / B", {"a"});
    struct Row {
        QByteArray query, read;
        QString reason;      // empty: any failure naming the server
        QString server = {}; // empty: the script's
    };
    const std::vector<Row> rows{
        {kRefused, "", "500 Unknown developer email. Please register."},
        {"<html>Welcome</html>", "", unreadable},
        {"211 close matches\r\n.\r\n", "", unreadable},
        {match, "", "401 rock 11005c03 No such CD entry in database."},
        {match, "403 Database entry is corrupt.\r\n", "403 Database entry is corrupt."},
        // An entry cut off before its terminating line is not taken.
        {match, entry, badEntry},
        {match, "210 rock 11005c03 follows\r\nnot an entry\r\n.\r\n", badEntry},
        {"", "", "HTTP status 404", missing.address()},
        {"", "", "", hangUp.address()},
        // https really speaks TLS: a plain server cannot answer it.
        {"", "", "", "https://" + missing.address()},
        {"", "", "", QStringLiteral("127.0.0.1:%1").arg(LocalHttpServer::closedPort())},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.query.toStdString() + r.read.toStdString() + r.server.toStdString());
        script.queryReply = r.query;
        script.readReply = r.read;
        const QString named = r.server.isEmpty() ? server.address() : r.server;
        lookup->setServerName(named);
        const QStringList said = outcome().split(u'\n');
        ASSERT_EQ(said.size(), 3);
        EXPECT_TRUE(said[0].startsWith(named.section("://", -1) + ": ")) << said[0].toStdString();
        EXPECT_TRUE(r.reason.isEmpty() || said[0] == named + ": " + r.reason)
            << said[0].toStdString();
        EXPECT_EQ(said[1], server.address() + ": HTTP status 503");
    }
    EXPECT_TRUE(cacheFiles().isEmpty());
    lookup->setServerName(server.address());
    script.musicBrainz = {200, "{not json"};
    EXPECT_EQ(outcome().section(u'\n', 1, 1), server.address() + ": " + unreadable);

    // Identifiers that are not disc IDs never reach the cache's path or a
    // server; an empty drive has none.
    const std::size_t before = server.requestCount();
    EXPECT_EQ(lookup->GetDiscID(QStringLiteral("E:\\")), "");
    EXPECT_FALSE(lookup->discIds());
    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("../../etc")), 0);
    EXPECT_EQ(lookup->QueryDisc(QString()), 0);
    EXPECT_EQ(server.requestCount(), before);
}

// The proxy as the user types it into its dialog, what the dialog shows
// when opened again, and the lookup that follows.
TEST_F(QueryCddbTest, TheProxyOfTheDialogCarriesTheLookupOrNamesItsFault) {
    const RobustnessRow off("Proxy switched off in its dialog",
                            "The address stays stored for later, the lookup goes direct");
    const RobustnessRow abc("Proxy port that is not a number (\"abc\")",
                            "It is stored as typed, and a lookup through the proxy fails at once "
                            "with a text naming that port as not a number");
    const RobustnessRow kept("Proxy dialog opened and confirmed without a change",
                             "It shows the stored proxy and OK keeps it");
    writeOptionsWithSkin(fx.dir.path()); // the dialog's skin
    const QString port = QString::number(server.port());
    struct Row {
        bool on;
        QString address, port, said; // the box that refused, the failure, or the query's target
    };
    const std::vector<Row> rows{
        {true, "", "8080", "Enter address..."},
        {true, "proxy.example.net", "", "Enter HTTP port..."},
        // A name that resolves nowhere: only the proxy can reach it.
        {true, "127.0.0.1", port, "http://cddb.vornap.invalid:8880/~cddb/cddb.cgi?"},
        // A port that is not a number leaves the one in the proxy's address.
        {true, server.address(), "eighty", "http://cddb.vornap.invalid:8880/~cddb/cddb.cgi?"},
        {false, "127.0.0.1", port, "/~cddb/cddb.cgi?"},
        {true, "127.0.0.1", "abc", "\"abc\" is not a number"},
    };
    // A store from before the on/off value: an address means in use.
    SetRegString(fx.app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, "ProxyAddress", "old");
    ProxySetting stored{true, "old", ""};
    auto storedNow = [&] {
        const ProxySetting now = StoredProxy(*fx.app.platform.registry);
        return QStringList{now.inUse ? "on" : "off", now.address, now.port};
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.address.toStdString() + ':' + r.port.toStdString());
        fx.tp.messageBox->boxes.clear();
        QPointer<frmSetProxy> dialog = LoadFrmSetProxy(fx.app, nullptr);
        EXPECT_EQ((QStringList{dialog->chkUseProxy->isChecked() ? "on" : "off",
                               dialog->txtProxyAddress->text(), dialog->txtProxyHTTPPort->text()}),
                  (QStringList{stored.inUse ? "on" : "off", stored.address, stored.port}));
        dialog->chkUseProxy->setChecked(true);
        dialog->txtProxyAddress->setText(r.address);
        dialog->txtProxyHTTPPort->setText(r.port);
        dialog->chkUseProxy->setChecked(r.on);
        dialog->cmdOK->click();
        if (r.said.startsWith("Enter")) {
            ASSERT_EQ(boxes().size(), 1u);
            EXPECT_EQ(boxes()[0].caption, r.said);
            dialog->cmdCancel->click();
        }
        delete dialog.data();
        if (r.said.startsWith("Enter")) {
            EXPECT_EQ(storedNow(), (QStringList{"on", stored.address, stored.port}));
            continue;
        }
        ASSERT_TRUE(boxes().empty());
        stored = {r.on, r.address, r.port};
        EXPECT_EQ(storedNow(), (QStringList{r.on ? "on" : "off", r.address, r.port}));
        lookup->setServerName(r.on ? QStringLiteral("cddb.vornap.invalid:8880") : server.address());
        const std::size_t before = server.requestCount();
        const QString result = outcome();
        if (r.said.startsWith(u'"')) {
            // The CDDB server and MusicBrainz, each without trying another port.
            EXPECT_EQ(result.count(r.said), 2) << result.toStdString();
            EXPECT_EQ(server.requestCount(), before);
            continue;
        }
        EXPECT_EQ(result, "Greatest Hits");
        ASSERT_EQ(server.requestCount(), before + 2);
        const auto query = server.requests()[before];
        EXPECT_TRUE(query.target.startsWith(r.said.toUtf8())) << query.target.toStdString();
        EXPECT_EQ(query.headers.at("host"),
                  r.on ? "cddb.vornap.invalid:8880" : server.address().toUtf8());
    }
}

TEST(DiscIds, AgreeWithTheMeasuredDiscAndTheDefinitions) {
    // Worked out from the definitions: the FreeDB checksum, and the SHA-1 of
    // the TOC's hex text in MusicBrainz's base64 variant.
    struct Row {
        platform::DiscToc toc;
        QString freedb, musicBrainz;
    };
    const std::vector<Row> rows{
        {knownToc(), "11005c03", "SJdpcXRHi_Slapm_id4X7rNm8FA-"},
        {tocFromLsn({0}, 33000), "0201b801", "WIPnUJAok41xaAh3G2EiTPMuuAA-"},
        // Track 1 later than the start of the program area.
        {tocFromLsn({32, 17000, 30000, 52000, 80000, 110000}, 150000), "4a07d006",
         "lU0pvW1xHNs5bYXMkZYPR._bPk4-"},
        // A data track first (mixed mode): both identifiers count it.
        {tocFromLsn({0, 25000, 41000}, 90000, {true, false, false}), "1e04b003",
         "E6Z0346CqtDlGV0IxsZIbQzOn84-"},
        // CD-Extra: MusicBrainz is told of the audio session alone.
        {tocFromLsn({0, 20000, 60000}, 90000, {false, false, true}), "1c04b003",
         "gruAPlWjuUct6jZJLndaYmK7KOc-"},
    };
    for (const Row& r : rows) {
        const auto ids = computeDiscIds(r.toc);
        ASSERT_TRUE(ids);
        EXPECT_EQ(ids->freedb + ' ' + ids->musicBrainz, r.freedb + ' ' + r.musicBrainz);
    }
    // The audio track before the data session does not include the session gap.
    EXPECT_EQ(tocTrackSeconds(rows.back().toc), (std::vector<int>{266, (40000 - 11400) / 75, 400}));
    EXPECT_FALSE(computeDiscIds(platform::DiscToc{}));
    EXPECT_FALSE(computeDiscIds(tocFromLsn({0, 5000, 3000}, 9000)));
    EXPECT_FALSE(computeDiscIds(tocFromLsn({0, 5000}, 4000)));
}

TEST(CddbEndpoint, ServerOptionForms) {
    const std::vector<std::pair<QString, QString>> forms{
        {"gnudb.gnudb.org", "http://gnudb.gnudb.org/~cddb/cddb.cgi"},
        {"", "http://gnudb.gnudb.org/~cddb/cddb.cgi"},
        {" host:8880 ", "http://host:8880/~cddb/cddb.cgi"},
        {"https://example.org/cgi/cddb.cgi", "https://example.org/cgi/cddb.cgi"},
        {"HTTP://example.org:81", "http://example.org:81/~cddb/cddb.cgi"},
        {"example.org:81/cgi-bin/cddb.cgi", "http://example.org:81/cgi-bin/cddb.cgi"},
    };
    for (const auto& [option, url] : forms)
        EXPECT_EQ(cddbEndpoint(option).toString(), url) << option.toStdString();
}
