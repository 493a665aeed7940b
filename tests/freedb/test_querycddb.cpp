#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"
#include "freedb/discids.h"
#include "freedb/freedblookup.h"
#include "freedb/frmsetproxy.h"
#include "freedb/proxysetting.h"
#include "freedb/querycddb.h"
#include "mpris/mpris.h"
#include "options/registry.h"
#include "support/dialogoptions.h"
#include "support/localhttp.h"
#include "support/skins.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vornap;
using namespace vornap::test;
using namespace std::chrono_literals;

namespace {

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
    QByteArray queryReply = "200 rock 11005c03 x\r\n";
    std::map<QString, QByteArray> entries;
    QByteArray readReply = "210 rock 11005c03 follows\r\n" +
                           xmcdEntry("The Band / Greatest Hits", {"Song 1", "Song 2", "Song 3"}) +
                           ".\r\n";
    LocalHttpServer::Reply musicBrainz{503, "Service Temporarily Unavailable"};
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

// The player over the real drive layer with the real lookup component, asking
// a local CDDB server that also serves MusicBrainz's disc-ID service. E: holds
// the disc of the measured recipe: FreeDB 11005c03, tracks of 20, 7 and 65 s.
struct Lookup : Player {
    Lookup() {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy"})
            qunsetenv(name);
        drive('E');
        insert('E', audioDisc({20, 7, 65}));
    }
    LookupSettings settings(int totalTimeoutMs = 3000, const QString& musicBrainz = {}) {
        return {1000, totalTimeoutMs, musicBrainz.isEmpty() ? server.base() : musicBrainz, 0};
    }
    // Start-up with FreeDB on, and with the first-run options (play on start
    // and the start-up query) when `onStart`; then the first tick.
    void start(bool onStart, const QString& cddb = {}, std::optional<LookupSettings> s = {},
               const QString& trayOnly = QStringLiteral("0")) {
        OptionsValues o{.drive = "E:\\", .useCDDB = "1", .email = "me@example.org"};
        o.playOnStart = o.cddbOnStart = onStart ? QStringLiteral("1") : QStringLiteral("0");
        o.server = cddb.isEmpty() ? server.address() : cddb;
        o.trayOnly = trayOnly;
        writeOptions(o);
        auto component = std::make_unique<FreeDbLookup>(*tp.platform.discToc, *tp.platform.registry,
                                                        dir.path(), s.value_or(settings()));
        lookup = component.get();
        lookup->setServerName(o.server);
        f.reset();
        f = std::make_unique<frmCD>(app, std::move(component));
        load();
        tick();
    }
    // What a lookup of the disc in E: ends in: the album, kNone, or the
    // failure's lines, "source: answer" for each source.
    QString outcome() {
        lookup->GetDiscID(QStringLiteral("E:\\"));
        lookup->askAgain();
        try {
            return lookup->QueryDisc(QStringLiteral("11005c03")) ? lookup->DiscTitle() : kNone;
        } catch (const LookupFailure& failure) {
            return QString::fromStdString(failure.what());
        }
    }
    const std::vector<RecordingMessageBox::Shown>& boxes() { return tp.messageBox->boxes; }
    // The one box shown, as "caption: text".
    QString box() {
        EXPECT_EQ(boxes().size(), 1u);
        return boxes().empty() ? QString() : boxes()[0].caption + ": " + boxes()[0].text;
    }
    // Artist, album, track count and list, the track's length, the drive
    // and track boxes and the progress bar's range, as the window shows them.
    QStringList screen() const {
        return {f->lblArtist->text(),       f->lblAlbum->text(),
                f->lblTotTracks->text(),    entries(f->cboCurrentTrack).join(u'|'),
                f->lblTotTrackTime->text(), f->cboCDDrive->text(),
                f->cboCurrentTrack->text(), QString::number(f->ProgressBar->Max())};
    }
    QStringList cacheFiles() const {
        QStringList files;
        QDir root(dir.filePath(QStringLiteral("CDDB")));
        for (const QString& c : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString& f : QDir(root.filePath(c)).entryList(QDir::Files))
                files << c + u'/' + f;
        return files;
    }

    CddbScript script;
    LocalHttpServer server{[this](const LocalHttpServer::Request& r) { return script(r); }};
    FreeDbLookup* lookup = nullptr;
};

} // namespace

TEST_F(Lookup, AnswerFillsTheWindowAndAClickAsksTheServerAgain) {
    start(false);
    app.v.iCurrentTrack = 3;
    f->lblCDDB_Click();
    EXPECT_TRUE(boxes().empty() && app.v.bCDDBFound);
    EXPECT_EQ(screen(),
              (QStringList{"The Band", "Greatest Hits", "3", "1. Song 1|2. Song 2|3. Song 3",
                           "1:05", "E:\\ - The Band - Greatest Hits", "3. Song 3", "65"}));
    const auto query = server.requests().front();
    EXPECT_TRUE(query.query.queryItemValue("hello").startsWith("me+example.org+Vornap+"));
    EXPECT_EQ(query.query.queryItemValue("proto"), "6");
    EXPECT_EQ(query.query.queryItemValue("cmd"), "cddb+query+11005c03+3+150+1650+2175+94");
    EXPECT_EQ(server.requests()[1].query.queryItemValue("cmd"), "cddb+read+rock+11005c03");

    script.readReply.replace("Greatest Hits", "Best Of");
    f->lblCDDB_Click();
    EXPECT_EQ(server.requestCount(), 4u);
    EXPECT_EQ(f->lblAlbum->text(), "Best Of");

    // Minutes are not folded into hours; after the first lookup the cache answers.
    eject('E');
    tick();
    insert('E', audioDisc({245, 3600, 9}));
    tick();
    for (const auto& [track, text] :
         std::vector<std::pair<Integer, QString>>{{1, "4:05"}, {2, "60:00"}, {3, "0:09"}}) {
        app.v.iCurrentTrack = track;
        QueryCDDB(app);
        EXPECT_EQ(f->lblTotTrackTime->text(), text) << track;
    }
    EXPECT_EQ(server.requestCount(), 6u);
}

TEST_F(Lookup, TheWindowPaintsWhileTheServerIsSlowAndTakesNoClick) {
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
    start(false);
    f->lblTime->setText("0:07");
    f->lblTime->installEventFilter(&counter);
    f->show();
    script.delay = 400ms;
    // A click on "Query CDDB" while the lookup waits must not start another.
    QTimer::singleShot(100, f->lblCDDB, [this] {
        const QPointF at(2, 2);
        QMouseEvent release(QEvent::MouseButtonRelease, at, f->lblCDDB->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f->lblCDDB, &release);
    });
    f->lblCDDB_Click();
    EXPECT_GE(counter.loading, 1);
    EXPECT_EQ(f->lblTime->text(), "0:07");
    EXPECT_EQ(f->lblAlbum->text(), "Greatest Hits");
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Lookup, SeveralMatchesTakeTheBestFitAnotherCanBeChosenAndAskingAgainReplacesIt) {
    // An inexact match as gnudb lists it: a pressing with a bonus track first.
    script.readReply.clear();
    script.queryReply = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                        "rock 22AA0B04 Band / Album (Bonus Edition)\r\nnot a match\r\n"
                        "jazz 123 short id\r\nrock 33bb0c03 Band / Album\r\n.\r\nafter\r\n";
    script.entries["rock 22aa0b04"] = xmcdEntry(
        "Band / Album (Bonus Edition)", {"a", "b", "c", "Bonus"}, {150, 1650, 2175, 5000}, 120);
    script.entries["rock 33bb0c03"] =
        xmcdEntry("Band / Album", {"One", "Two", "Three"}, {182, 1682, 2207}, 95);
    start(true);
    EXPECT_EQ(app.v.lMatchCount, 2);
    EXPECT_EQ(f->lblAlbum->text(), "Album");
    EXPECT_TRUE(lookup->matchNames().value(1).contains("Bonus Edition"));
    EXPECT_EQ(cacheFiles(), QStringList{"rock/11005c03"});

    // The other pressing's titles; the count and lengths stay the disc's.
    ChooseMatch(app, 1);
    EXPECT_EQ(screen(), (QStringList{"Band", "Album (Bonus Edition)", "3", "1. a|2. b|3. c", "0:20",
                                     "E:\\ - Band - Album (Bonus Edition)", "1. a", "20"}));
    FreeDbLookup again(*tp.platform.discToc, *tp.platform.registry, dir.path(), settings());
    EXPECT_EQ(again.QueryDisc(again.GetDiscID("E:\\")), 1) << "the cache answers";
    EXPECT_EQ(again.DiscTitle(), "Album (Bonus Edition)") << "the cache follows the choice";

    // Asked again by hand, the server's answer replaces the cached entry,
    // also when it files the disc under another category.
    script.queryReply = "210 Found exact matches, list follows (until terminating `.')\r\n"
                        "jazz 11005c03 Band / Album Remastered\r\n.\r\n";
    script.entries["jazz 11005c03"] = xmcdEntry("Band / Album Remastered", {"x", "y", "z"});
    f->lblCDDB_Click();
    EXPECT_EQ(f->lblAlbum->text(), "Album Remastered");
    EXPECT_EQ(cacheFiles(), QStringList{"jazz/11005c03"});
    EXPECT_TRUE(boxes().empty());

    // The other matches as named: "&" is no mnemonic, a long name fits the screen.
    script.queryReply = "211 Found\r\njazz 11005c03 a\r\nrock 11005c03 b\r\n.\r\n";
    script.entries["rock 11005c03"] =
        xmcdEntry("Wrong & Co / " + QByteArray(320, 'x'), {"x", "y", "z"});
    f->lblCDDB_Click();
    QString shown;
    QTimer::singleShot(0, f.get(), [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            shown = menu->actions()[0]->menu()->actions().constLast()->text();
            menu->close();
        }
    });
    emit f->lblAlbum->customContextMenuRequested({});
    EXPECT_TRUE(shown.startsWith("Wrong && Co / xxx") && shown.size() < 200) << shown.toStdString();
}

TEST_F(Lookup, AFailedOrFruitlessClickLeavesTheScreenAndCacheAsTheyWere) {
    start(true);
    const QStringList before = screen();
    for (const QByteArray& reply : {kRefused, kNoMatch}) {
        script.queryReply = reply;
        f->lblCDDB_Click(); // ends normally: no ProcessEnded
        EXPECT_EQ(screen(), before);
        EXPECT_EQ(cacheFiles(), QStringList{"rock/11005c03"});
    }
    ASSERT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes()[0].caption + '|' + boxes()[1].caption, "CDDB Error|Error");
    EXPECT_TRUE(lookup->submitMode() && app.v.bCDDBFound) << "titles from the earlier answer";
}

// Recorded MusicBrainz answers (the fuzz corpus's seeds): to a TOC whose
// exact disc ID it lacks, two releases with the disc's track count (the
// second fits its offsets) and a box set; to the exact ID, a set whose
// second medium is this disc.
QByteArray musicBrainzReply(const char* name) {
    return readFile(sourceDir() + "/fuzz/corpus/musicbrainz/" + name);
}

TEST_F(Lookup, EachSourceIsAskedWhenTheOneBeforeRefusedFailedOrFoundNothing) {
    start(false);
    const QString cafe = QString::fromUtf8("Caf\xc3\xa9 Songs");
    // CD-TEXT after both servers: RefusingServerLeavesTitlesToTheNextSources.
    const std::vector<std::tuple<QByteArray, LocalHttpServer::Reply, QString>> rows{
        {kRefused, {200, musicBrainzReply("fuzzy-releases")}, cafe},
        {kRefused, {200, musicBrainzReply("release")}, cafe},
        {kRefused, {404, "{\"error\":\"Not Found\"}", "application/json"}, kNone},
        {kNoMatch, script.musicBrainz, kNone},
    };
    for (const auto& [cddb, musicBrainz, album] : rows) {
        SCOPED_TRACE(cddb.toStdString() + musicBrainz.body.left(20).toStdString());
        QDir(dir.filePath("CDDB")).removeRecursively();
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
    EXPECT_TRUE(mb.headers.at("user-agent").startsWith("Vornap/"));
    EXPECT_FALSE(mb.headers.at("user-agent").contains("me@")) << "the e-mail is for CDDB only";
    script.musicBrainz = std::get<1>(rows[0]);
    outcome();
    EXPECT_EQ(lookup->matchNames().size(), 2);
    EXPECT_TRUE(lookup->matchNames().value(1).contains("Club Edition"));
}

TEST_F(Lookup, RefusalsUnreadableRepliesAndUnreachableServersAreFailuresNamingTheirCause) {
    start(false);
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
        EXPECT_TRUE(r.reason.isEmpty() ? said[0].startsWith(named.section("://", -1) + ": ")
                                       : said[0] == named + ": " + r.reason)
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
    drive('G');
    EXPECT_EQ(lookup->GetDiscID(QStringLiteral("G:\\")), "");
    EXPECT_FALSE(lookup->discIds());
    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("../../etc")), 0);
    EXPECT_EQ(lookup->QueryDisc(QString()), 0);
    EXPECT_EQ(server.requestCount(), before);
}

// The proxy as the user types it into its dialog, what the dialog shows
// when opened again, and the lookup that follows.
TEST_F(Lookup, TheProxyOfTheDialogCarriesTheLookupOrNamesItsFault) {
    const RobustnessRow off("Proxy switched off in its dialog",
                            "The address stays stored for later, the lookup goes direct");
    const RobustnessRow abc("Proxy port that is not a number (\"abc\")",
                            "It is stored as typed, and a lookup through the proxy fails at once "
                            "with a text naming that port as not a number");
    const RobustnessRow kept("Proxy dialog opened and confirmed without a change",
                             "It shows the stored proxy and OK keeps it");
    start(false);
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
    SetRegString(app, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, "ProxyAddress", "old");
    ProxySetting stored{true, "old", ""};
    const auto text = [](bool on, const QString& address, const QString& port) {
        return QStringList{on ? "on" : "off", address, port};
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.address.toStdString() + ':' + r.port.toStdString());
        tp.messageBox->boxes.clear();
        QPointer<frmSetProxy> dialog = LoadFrmSetProxy(app, nullptr);
        EXPECT_EQ(text(dialog->chkUseProxy->isChecked(), dialog->txtProxyAddress->text(),
                       dialog->txtProxyHTTPPort->text()),
                  text(stored.inUse, stored.address, stored.port));
        dialog->chkUseProxy->setChecked(true);
        dialog->txtProxyAddress->setText(r.address);
        dialog->txtProxyHTTPPort->setText(r.port);
        dialog->chkUseProxy->setChecked(r.on);
        dialog->cmdOK->click();
        const bool refused = r.said.startsWith("Enter");
        EXPECT_EQ(boxes().empty() ? QString() : boxes()[0].caption, refused ? r.said : QString());
        if (refused)
            dialog->cmdCancel->click();
        delete dialog.data();
        stored = refused ? stored : ProxySetting{r.on, r.address, r.port};
        const ProxySetting now = StoredProxy(*app.platform.registry);
        EXPECT_EQ(text(now.inUse, now.address, now.port),
                  text(stored.inUse, stored.address, stored.port));
        if (refused)
            continue;
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

// Servers that never finish: each lookup ends in one box naming the server
// and the reason, nothing is cached, and the disc loads and plays.
TEST_F(Lookup, EndlessTricklingOrHangingServersEndInOneBoxAndTheDiscPlays) {
    const RobustnessRow endless("Lookup server sending an endless reply",
                                "Reading stops at 4 MB, the lookup fails with \"the reply is too "
                                "large\", nothing is cached");
    const RobustnessRow trickle("Lookup server trickling its reply a byte at a time",
                                "The total time-out ends the lookup, which fails with the "
                                "time-out text, nothing is cached");
    const RobustnessRow window("Lookup failing while a disc loads (endless or trickling reply)",
                               "A \"CDDB Error\" box names the server and the reason, the disc "
                               "loads from its own table and plays");
    const RobustnessRow hanging("CDDB server and MusicBrainz both hanging while a disc loads",
                                "The lookup gives up after 15 s for all its sources together, "
                                "and the box names the server's time-out and MusicBrainz as not "
                                "asked");
    LocalHttpServer musicBrainz([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.neverAnswer = true};
    });
    // The reply, the time the lookup has, what the box says after the address.
    const std::vector<std::tuple<LocalHttpServer::Reply, int, QString>> cases{
        {{.body = "200 misc 0a0b0c0d Endless\r\n", .endless = true},
         3000,
         "the reply is too large"},
        {{.body = "2", .endless = true, .trickle = 100ms}, 800, "Operation timed out"},
        {{.neverAnswer = true}, 800, "Operation timed out"},
    };
    for (const auto& [reply, totalTimeoutMs, reason] : cases) {
        tp.messageBox->boxes.clear();
        LocalHttpServer cddb([r = reply](const LocalHttpServer::Request&) { return r; });
        const bool hangs = reply.neverAnswer;
        start(true, cddb.address(),
              settings(totalTimeoutMs, hangs ? musicBrainz.base() : "http://127.0.0.1:1"));
        const QString said = box();
        EXPECT_TRUE(said.startsWith("CDDB Error: ") &&
                    said.contains(cddb.address() + ": " + reason))
            << said.toStdString();
        EXPECT_EQ(said.contains(musicBrainz.address() + ": not asked"), hangs);
        EXPECT_EQ(musicBrainz.requestCount(), 0u);
        for (int i = 0; i < 100 && !hangs && !cddb.clientHungUp(); ++i)
            std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(hangs || cddb.clientHungUp()) << "the client gave up, not the server";
        // The limit plus what the sockets held.
        const auto sent = cddb.bodyBytesSent();
        EXPECT_TRUE(reply.trickle.count() || !reply.endless ||
                    (sent >= 4 << 20 && sent < 64 << 20));
        EXPECT_TRUE(cacheFiles().isEmpty());
        EXPECT_TRUE(app.v.bCDInDrive && !app.v.bCDDBFound);
        EXPECT_EQ(mode('E'), Mode::Playing);
        second();
        tick();
        EXPECT_EQ(boxes().size(), 1u) << "one box for one disc";
    }
}

TEST_F(Lookup, ADiscTakenOutDuringTheLookupLeavesAConsistentState) {
    const RobustnessRow row("Disc taken out of the drive while its lookup waits on a slow server",
                            "The lookup's answer is shown, the next tick sees the drive empty "
                            "(\"No CD\"), a disc put back loads and plays again");
    const RobustnessRow query("Query CDDB with the drive empty after a disc was taken out",
                              "The \"Cannot read from CD-ROM\" box, nothing is looked up or shown");
    int requests = 0;
    LocalHttpServer slow([&](const LocalHttpServer::Request& request) {
        if (++requests == 1) {
            eject('E');
            std::this_thread::sleep_for(300ms);
        }
        return script(request);
    });
    start(true, slow.address());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(f->lblArtist->text(), "The Band");
    tick();
    seconds(3);
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD") << "no clock left counting";

    QTest::mouseClick(f->lblCDDB, Qt::LeftButton);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "Cannot read from CD-ROM, insert a CD or restart Vornap");
    EXPECT_EQ(f->lblArtist->text(), "");
    EXPECT_EQ(requests, 2);
    tp.messageBox->boxes.clear();

    // The same disc again: its entry now comes from the cache.
    insert('E', audioDisc({20, 7, 65}));
    tick();
    EXPECT_EQ(f->lblArtist->text(), "The Band");
    EXPECT_EQ(requests, 2) << "query and read once, then the cache";
    seconds(2);
    tick();
    EXPECT_EQ(f->lblTime->text(), "0:02");
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Lookup, ARefusingServerLeavesTheTitlesToTheNextSourcesAndLengthsToTheDisc) {
    const RobustnessRow row(
        "CDDB server refusing the client (\"500 Unknown developer email\")",
        "MusicBrainz and then the disc's own CD-TEXT are asked, and only when none "
        "has titles does a \"CDDB Error\" box name what each answered");
    // A CD-Extra: three audio tracks, then a data session after its gap.
    di::DiscSpec extra = audioDisc({20, 30, 200});
    extra.tracks.push_back(di::TrackSpec::dataTrack(300, {{"README.TXT", "extra"}}));
    extra.tracks.back().pregapFrames = 11400;
    // A sheet with CD-TEXT, as written today in UTF-8.
    di::DiscSpec texted = audioDisc({4, 5});
    texted.performer = "Les Caf\xc3\xa9s";
    texted.title = "Premi\xc3\xa8re";
    texted.tracks[0].title = "Ouverture";
    texted.tracks[1].title = "\xc3\x89t\xc3\xa9";
    const auto utf8 = [](const char* text) { return QString::fromUtf8(text); };
    struct Row {
        di::DiscSpec disc;
        QByteArray cddb;
        QStringList shown;
    };
    const std::vector<Row> rows{
        {extra,
         script.queryReply,
         {"The Band", "Greatest Hits", "4", "1. Song 1|2. Song 2|3. Song 3|4. "}},
        {texted,
         kRefused,
         {utf8("Les Caf\xc3\xa9s"), utf8("Premi\xc3\xa8re"), "2",
          utf8("1. Ouverture|2. \xc3\x89t\xc3\xa9")}},
        // Nothing has titles: the disc's own table.
        {audioDisc({4, 5, 6}), kRefused, {"-", "-", "3", "1|2|3"}},
    };
    for (const Row& r : rows) {
        eject('E');
        if (&r != &rows.front())
            tick(); // the player sees the drive empty
        QDir(dir.filePath("CDDB")).removeRecursively();
        tp.messageBox->boxes.clear();
        insert('E', r.disc);
        script.queryReply = r.cddb;
        start(true);
        EXPECT_EQ(screen().mid(0, 4), r.shown);
        EXPECT_EQ(mode('E'), Mode::Playing);
        if (r.cddb != kRefused) {
            // The last audio track ends at its session, not at the data track.
            EXPECT_EQ(lookup->TrackSeconds(3), 200);
        } else if (r.shown[0] == QLatin1String("-")) {
            EXPECT_EQ(box(), "CDDB Error: The disc could not be looked up.\n\n" + server.address() +
                                 ": 500 Unknown developer email. Please register.\n" +
                                 server.address() +
                                 ": HTTP status 503\nCD-TEXT: the disc carries none");
        } else {
            EXPECT_TRUE(boxes().empty());
        }
    }
}

// With the first-run options the lookup comes before the track table; one
// that fails or finds nothing leaves the table to the disc.
TEST_F(Lookup, AOneTrackDiscWhoseLookupFailsPlaysToItsEnd) {
    const RobustnessRow audio("One-track disc whose lookup fails or finds nothing (first-run "
                              "options)",
                              "The lookup's box, then the track plays to its end and stops on "
                              "track 1");
    const RobustnessRow data("One-track data disc played on start",
                             "The play skips the data to the end of the disc: the display "
                             "stops on track 1 at once");
    script.queryReply = kNoMatch;
    // Finding nothing on a one-track disc: e2e/player.sh.
    const std::vector<std::pair<QString, di::DiscSpec>> cases{{"127.0.0.1:1", audioDisc({6})},
                                                              {"", dataDisc()}};
    for (const auto& [cddb, disc] : cases) {
        SCOPED_TRACE(cddb.toStdString() + (disc.tracks[0].data ? " data" : " audio"));
        eject('E');
        insert('E', disc);
        tp.messageBox->boxes.clear();
        start(true, cddb);
        for (int i = 0; i < 10; ++i) {
            second();
            tick();
            EXPECT_EQ(app.v.iCurrentTrack, 1);
        }
        for (const auto& box : boxes())
            EXPECT_NE(box.caption, "Vornap") << box.text.toStdString();
        EXPECT_TRUE(app.v.bCDInDrive && app.v.bStopped) << "at the end";
        EXPECT_FALSE(f->tmrTime->isActive());
    }
}

// Entries may hold line breaks and tabs (the escapes \n and \t): places of
// one line show them as blanks, the titles themselves keep them. Then the
// drive box to a disc whose lookup finds nothing: the titles of the first
// must not stay on show for the second.
TEST_F(Lookup, TitlesShowOnOneLineAndNeverForTheNextDiscWithoutTitles) {
    const RobustnessRow blanks("Titles holding line breaks or tabs (\\n, \\t in the entry)",
                               "Labels, drive and track boxes, tray tip and menu show them as "
                               "blanks, on one line");
    const RobustnessRow none("Disc whose lookup finds nothing or fails, taken in after a disc "
                             "with titles (first-run options)",
                             "Its own track table: numbers, count and lengths from the disc, "
                             "\"-\" for artist and album, in the window and on MPRIS");
    drive('F');
    insert('F', audioDisc({6}));
    script.readReply.replace("The Band / Greatest Hits", "Two\\nLines / The\\tAlbum")
        .replace("TTITLE0=Song 1", "TTITLE0=On\\ne");
    start(true, {}, settings(), "1");
    tick();
    const platform::NotifyIconData& tip = tp.tray->calls.back().data;
    EXPECT_EQ((screen().mid(0, 7) +
               QStringList{QString::fromLatin1(tip.szTip.data(), 7), f->mnuTrackList[1]->text()}),
              (QStringList{"Two Lines", "The Album", "3", "1. On e|2. Song 2|3. Song 3", "0:20",
                           "E:\\ - Two Lines - The Album", "1. On e", "1. On e", "On e"}));
    EXPECT_EQ(lookup->TrackTitle(1), "On\ne");

    script.queryReply = kNoMatch;
    emit f->cboCDDrive->dropDown();
    choose(f->cboCDDrive, "F:\\ - Album Unknown");
    emit f->cboCDDrive->activated(f->cboCDDrive->currentIndex());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, "Error");
    EXPECT_EQ(screen().mid(0, 5) + QStringList{f->cboCurrentTrack->text()},
              (QStringList{"-", "-", "1", "1", "0:05", "1"}));
    const QVariantMap meta = MprisService(app, QDBusConnection(QStringLiteral("none"))).metadata();
    EXPECT_EQ(meta.value("xesam:title").toString(), "Track 1");
    EXPECT_FALSE(meta.contains("xesam:artist"));
    EXPECT_EQ(mode('F'), Mode::Playing);
}

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

TEST(DiscIds, AgreeWithTheMeasuredDiscAndTheDefinitions) {
    // Worked out from the definitions: the FreeDB checksum, and the SHA-1 of
    // the TOC's hex text in MusicBrainz's base64 variant.
    struct Row {
        platform::DiscToc toc;
        QString freedb, musicBrainz;
    };
    const std::vector<Row> rows{
        {tocFromLsn({0, 1500, 2025}, 6900), "11005c03", "SJdpcXRHi_Slapm_id4X7rNm8FA-"},
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
