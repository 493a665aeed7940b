#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"
#include "freedb/freedblookup.h"
#include "mpris/mpris.h"
#include "platform/memoryregistry.h"
#include "support/localhttp.h"

#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using namespace std::chrono_literals;

namespace {

// The player with the real lookup component over the real drive table.
struct LookupFault : Player {
    LookupFault() {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy"})
            qunsetenv(name);
        drive('E');
        insert('E', audioDisc({4, 5, 6}));
    }
    // Start-up with lookup and play on start, as a user who wants titles has
    // it, and the first tick. MusicBrainz is a port where nothing listens
    // unless another is given.
    void loadWithLookup(const QString& server, int totalTimeoutMs = 3000,
                        const QString& musicBrainz = QStringLiteral("http://127.0.0.1:1"),
                        const QString& trayOnly = QStringLiteral("0")) {
        LookupSettings settings;
        settings.connectTimeoutMs = 1000;
        settings.totalTimeoutMs = totalTimeoutMs;
        settings.musicBrainzUrl = musicBrainz;
        settings.musicBrainzIntervalMs = 0;
        f.reset();
        f = std::make_unique<frmCD>(app, std::make_unique<FreeDbLookup>(
                                             *tp.platform.discToc, registry, dir.path(), settings));
        writeOptions({.drive = "E:\\",
                      .playOnStart = "1",
                      .useCDDB = "1",
                      .cddbOnStart = "1",
                      .server = server,
                      .trayOnly = trayOnly});
        load();
        tick();
    }
    // The one box a failed lookup brings, naming the server; its text.
    QString failureBox(const LocalHttpServer& server) {
        const auto& boxes = tp.messageBox->boxes;
        EXPECT_EQ(boxes.size(), 1u);
        const QString text = boxes.empty() ? QString() : boxes[0].caption + ": " + boxes[0].text;
        EXPECT_TRUE(text.startsWith("CDDB Error: ") && text.contains(server.address()))
            << text.toStdString();
        return text;
    }
    // Artist, album, track count and the track list as the window shows them.
    QStringList shown() const {
        return {f->lblArtist->text(), f->lblAlbum->text(), f->lblTotTracks->text(),
                entries(f->cboCurrentTrack).join(u'|')};
    }
    QStringList cacheFiles() const {
        return QDir(dir.filePath("CDDB/misc")).entryList(QDir::Files);
    }
    platform::MemoryRegistry registry;
};

// A CDDB server's answers to query and read for whatever disc is asked for.
LocalHttpServer::Reply cddbAnswer(const LocalHttpServer::Request& request) {
    static const QRegularExpression command(QStringLiteral("cmd=cddb\\+(\\w+)\\+(\\w+)\\+?(\\w*)"));
    const auto m = command.match(QString::fromLatin1(request.requestLine));
    if (m.captured(1) == QLatin1String("query"))
        return {.body = "200 misc " + m.captured(2).toLatin1() + " The Artist / The Album\r\n"};
    const QByteArray id = m.captured(3).toLatin1();
    return {.body = "210 misc " + id + " CD database entry follows\r\n# xmcd\r\n#\r\nDISCID=" + id +
                    "\r\nDTITLE=The Artist / The Album\r\nDYEAR=2001\r\nDGENRE=Rock\r\n"
                    "TTITLE0=One\r\nTTITLE1=Two\r\nTTITLE2=Three\r\nEXTD=\r\nPLAYORDER=\r\n.\r\n"};
}

} // namespace

// Servers that never finish: each lookup ends in one box naming the server
// and the reason, nothing is cached, and the disc loads and plays.
TEST_F(LookupFault, EndlessTricklingOrHangingServersEndInOneBoxAndTheDiscPlays) {
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
    using Reply = LocalHttpServer::Reply;
    LocalHttpServer musicBrainz([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.neverAnswer = true};
    });
    struct Case {
        const char* name;
        Reply reply;
        int totalTimeoutMs;
        QString said; // in the box, after the server's address
    };
    const std::vector<Case> cases{
        {"endless",
         {.body = "200 misc 0a0b0c0d Endless / Reply\r\n", .endless = true},
         3000,
         "the reply is too large"},
        {"trickle", {.body = "2", .endless = true, .trickle = 100ms}, 800, "Operation timed out"},
        {"hanging", {.neverAnswer = true}, 800, "Operation timed out"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tp.messageBox->boxes.clear();
        LocalHttpServer server([&](const LocalHttpServer::Request&) { return c.reply; });
        const bool hangs = c.reply.neverAnswer;
        loadWithLookup(server.address(), c.totalTimeoutMs,
                       hangs ? musicBrainz.base() : "http://127.0.0.1:1");
        const QString box = failureBox(server);
        EXPECT_TRUE(box.contains(server.address() + ": " + c.said)) << box.toStdString();
        EXPECT_EQ(box.contains(musicBrainz.address() + ": not asked"), hangs);
        EXPECT_EQ(musicBrainz.requestCount(), 0u);
        for (int i = 0; i < 100 && !hangs && !server.clientHungUp(); ++i)
            std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(hangs || server.clientHungUp()) << "the client gave up, not the server";
        // The limit plus what the sockets held.
        const auto sent = server.bodyBytesSent();
        EXPECT_TRUE(c.reply.trickle.count() || !c.reply.endless ||
                    (sent >= 4 << 20 && sent < 64 << 20));
        EXPECT_TRUE(cacheFiles().isEmpty());
        EXPECT_TRUE(app.v.bCDInDrive && !app.v.bCDDBFound);
        EXPECT_EQ(mode('E'), Mode::Playing);
        second();
        tick();
        EXPECT_EQ(tp.messageBox->boxes.size(), 1u) << "one box for one disc";
    }
}

TEST_F(LookupFault, ADiscTakenOutDuringTheLookupLeavesAConsistentState) {
    const RobustnessRow row("Disc taken out of the drive while its lookup waits on a slow server",
                            "The lookup's answer is shown, the next tick sees the drive empty "
                            "(\"No CD\"), a disc put back loads and plays again");
    const RobustnessRow query("Query CDDB with the drive empty after a disc was taken out",
                              "The \"Cannot read from CD-ROM\" box, nothing is looked up or shown");
    int requests = 0;
    LocalHttpServer server([&](const LocalHttpServer::Request& request) {
        if (++requests == 1) {
            eject('E');
            std::this_thread::sleep_for(300ms);
        }
        return cddbAnswer(request);
    });
    loadWithLookup(server.address());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(f->lblArtist->text(), "The Artist");
    tick();
    EXPECT_EQ(mode('E'), Mode::NotReady);
    seconds(3);
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD") << "no clock left counting";

    QTest::mouseClick(f->lblCDDB, Qt::LeftButton);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text,
              "Cannot read from CD-ROM, insert a CD or restart Vornap");
    EXPECT_EQ(f->lblArtist->text(), "");
    EXPECT_EQ(requests, 2);
    tp.messageBox->boxes.clear();

    // The same disc again: its entry now comes from the cache.
    insert('E', audioDisc({4, 5, 6}));
    tick();
    EXPECT_EQ(f->lblArtist->text(), "The Artist");
    EXPECT_EQ(requests, 2) << "query and read once, then the cache";
    seconds(2);
    tick();
    EXPECT_EQ(f->lblTime->text(), "0:02");
    EXPECT_EQ(mode('E'), Mode::Playing);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(LookupFault, ARefusingServerLeavesTheTitlesToTheNextSourcesAndLengthsToTheDisc) {
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
        bool serverKnowsIt; // else it refuses
        QStringList shown;
    };
    const std::vector<Row> rows{
        {extra, true, {"The Artist", "The Album", "4", "1. One|2. Two|3. Three|4. "}},
        {texted,
         false,
         {utf8("Les Caf\xc3\xa9s"), utf8("Premi\xc3\xa8re"), "2",
          utf8("1. Ouverture|2. \xc3\x89t\xc3\xa9")}},
        // Nothing has titles: the disc's own table.
        {audioDisc({4, 5, 6}), false, {"-", "-", "3", "1|2|3"}},
    };
    for (const Row& r : rows) {
        eject('E');
        if (&r != &rows.front())
            tick(); // the player sees the drive empty

        QDir(dir.filePath("CDDB")).removeRecursively();
        tp.messageBox->boxes.clear();
        insert('E', r.disc);
        LocalHttpServer server([&](const LocalHttpServer::Request& request) {
            return r.serverKnowsIt
                       ? cddbAnswer(request)
                       : LocalHttpServer::Reply{.body = "500 Unknown developer email.\r\n"};
        });
        loadWithLookup(server.address());
        EXPECT_EQ(shown(), r.shown);
        EXPECT_EQ(mode('E'), Mode::Playing);
        if (r.serverKnowsIt) {
            // The last audio track ends at its session, not at the data track;
            // lengths from the disc, not the entry: freedb/test_querycddb.
            EXPECT_EQ(f->uFREEDB1->TrackSeconds(3), 200);
        } else if (r.shown[0] == QLatin1String("-")) {
            const QString box = failureBox(server);
            EXPECT_TRUE(box.contains("500 Unknown developer email")) << box.toStdString();
            EXPECT_TRUE(box.contains("127.0.0.1:1: ")) << "MusicBrainz was asked";
            EXPECT_TRUE(box.contains("CD-TEXT: the disc carries none"));
        } else {
            EXPECT_TRUE(tp.messageBox->boxes.empty());
        }
    }
}

// With the first-run options the lookup comes before the track table; one
// that fails or finds nothing leaves the table to the disc.
TEST_F(LookupFault, AOneTrackDiscWhoseLookupFailsPlaysToItsEnd) {
    const RobustnessRow audio(
        "One-track disc whose lookup fails or finds nothing (first-run "
        "options)",
        "The lookup's box, then the track plays to its end and stops on track 1");
    const RobustnessRow data("One-track data disc played on start",
                             "The play skips the data to the end of the disc: the display "
                             "stops on track 1 at once");
    LocalHttpServer noMatch([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.body = "202 No match for disc ID\r\n"};
    });
    const std::vector<std::pair<QString, di::DiscSpec>> cases{{"127.0.0.1:1", audioDisc({6})},
                                                              {noMatch.address(), audioDisc({6})},
                                                              {noMatch.address(), dataDisc()}};
    for (const auto& [server, disc] : cases) {
        SCOPED_TRACE(server.toStdString() + (disc.tracks[0].data ? " data" : " audio"));
        eject('E');
        insert('E', disc);
        tp.messageBox->boxes.clear();
        loadWithLookup(server);
        for (int i = 0; i < 10; ++i) {
            second();
            tick();
            EXPECT_EQ(app.v.iCurrentTrack, 1);
        }
        for (const auto& box : tp.messageBox->boxes)
            EXPECT_NE(box.caption, "Vornap") << box.text.toStdString();
        EXPECT_TRUE(app.v.bCDInDrive && app.v.bStopped) << "at the end";
        EXPECT_FALSE(f->tmrTime->isActive());
    }
}

// Entries may hold line breaks and tabs (the escapes \n and \t): places of
// one line show them as blanks, the titles themselves keep them. Then the
// drive box to a disc whose lookup finds nothing: the titles of the first
// must not stay on show for the second.
TEST_F(LookupFault, TitlesShowOnOneLineAndNeverForTheNextDiscWithoutTitles) {
    const RobustnessRow blanks("Titles holding line breaks or tabs (\\n, \\t in the entry)",
                               "Labels, drive and track boxes, tray tip and menu show them as "
                               "blanks, on one line");
    const RobustnessRow none("Disc whose lookup finds nothing or fails, taken in after a disc "
                             "with titles (first-run options)",
                             "Its own track table: numbers, count and lengths from the disc, "
                             "\"-\" for artist and album, in the window and on MPRIS");
    drive('F');
    insert('F', audioDisc({6}));
    LocalHttpServer server([](const LocalHttpServer::Request& request) {
        const QStringList words = request.query.queryItemValue("cmd").split(u'+');
        if (words.value(1) == QLatin1String("query") && words.value(3) == QLatin1String("1"))
            return LocalHttpServer::Reply{.body = "202 No match for disc ID\r\n"};
        LocalHttpServer::Reply reply = cddbAnswer(request);
        reply.body.replace("The Artist / The Album", "Two\\nLines / The\\tAlbum")
            .replace("TTITLE0=One", "TTITLE0=On\\ne");
        return reply;
    });
    loadWithLookup(server.address(), 3000, "http://127.0.0.1:1", "1");
    tick();
    const platform::NotifyIconData& tip = tp.tray->calls.back().data;
    EXPECT_EQ((shown() + QStringList{f->cboCDDrive->text(), f->cboCurrentTrack->text(),
                                     QString::fromLatin1(tip.szTip.data(), 7),
                                     f->mnuTrackList[1]->text()}),
              (QStringList{"Two Lines", "The Album", "3", "1. On e|2. Two|3. Three",
                           "E:\\ - Two Lines - The Album", "1. On e", "1. On e", "On e"}));
    EXPECT_EQ(f->uFREEDB1->TrackTitle(1), "On\ne");

    emit f->cboCDDrive->dropDown();
    choose(f->cboCDDrive, "F:\\ - Album Unknown");
    emit f->cboCDDrive->activated(f->cboCDDrive->currentIndex());
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Error");
    EXPECT_EQ((shown() + QStringList{f->lblTotTrackTime->text(), f->cboCurrentTrack->text()}),
              (QStringList{"-", "-", "1", "1", "0:05", "1"}));
    const QVariantMap meta = MprisService(app, QDBusConnection(QStringLiteral("none"))).metadata();
    EXPECT_EQ(meta.value("xesam:title").toString(), "Track 1");
    EXPECT_FALSE(meta.contains("xesam:artist"));
    EXPECT_EQ(mode('F'), Mode::Playing);
}
