#include "cd/playerfixture.h"
#include "faults/robustnessrow.h"
#include "freedb/freedblookup.h"
#include "mpris/mpris.h"
#include "platform/memoryregistry.h"
#include "support/localhttp.h"

#include <QRegularExpression>
#include <QTest>
#include <gmock/gmock.h>

using namespace vornap;
using namespace vornap::test;
using namespace std::chrono_literals;

namespace {

// The player with the real lookup component over the real drive table.
struct LookupFault : Player {
    LookupFault() {
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        qunsetenv("all_proxy");
        drive('E');
        insert('E', audioDisc({4, 5, 6}));
    }
    // Start-up with lookup and play on start, as a user who wants titles has
    // it, and the first tick. The component asks `server`; MusicBrainz is a
    // port where nothing listens unless another is given.
    void loadWithLookup(const QString& server, int totalTimeoutMs = 3000,
                        const QString& musicBrainz = QStringLiteral("http://127.0.0.1:1")) {
        LookupSettings settings;
        settings.connectTimeoutMs = 1000;
        settings.totalTimeoutMs = totalTimeoutMs;
        settings.musicBrainzUrl = musicBrainz;
        settings.musicBrainzIntervalMs = 0;
        auto lookup =
            std::make_unique<FreeDbLookup>(*tp.platform.discToc, registry, dir.path(), settings);
        lookup->setServerName(server);
        f.reset();
        f = std::make_unique<frmCD>(app, std::move(lookup));
        OptionsValues o;
        o.drive = QStringLiteral("E:\\");
        o.playOnStart = o.useCDDB = o.cddbOnStart = QStringLiteral("1");
        o.server = server;
        o.trayOnly = trayOnly;
        writeOptions(o);
        load();
        tick();
    }
    // A failed lookup is told in one box naming the server; its text.
    std::string failureBox(const LocalHttpServer& server) {
        EXPECT_EQ(tp.messageBox->boxes.size(), 1u);
        if (tp.messageBox->boxes.empty())
            return {};
        const auto& box = tp.messageBox->boxes[0];
        EXPECT_EQ(box.caption, "CDDB Error");
        EXPECT_TRUE(box.text.contains(server.address())) << box.text.toStdString();
        return box.text.toStdString();
    }
    static bool hungUp(const LocalHttpServer& server) {
        for (int i = 0; i < 100 && !server.clientHungUp(); ++i)
            std::this_thread::sleep_for(20ms);
        return server.clientHungUp();
    }
    QStringList cacheFiles() const {
        return QDir(dir.filePath("CDDB/misc")).entryList(QDir::Files);
    }

    platform::MemoryRegistry registry;
    QString trayOnly = QStringLiteral("0");
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

TEST_F(LookupFault, AnEndlessReplyIsCutAtTheSizeLimit) {
    const RobustnessRow row("Lookup server sending an endless reply",
                            "Reading stops at 4 MB, the lookup fails with \"the reply is too "
                            "large\", nothing is cached");
    LocalHttpServer server([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.body = "200 misc 0a0b0c0d Endless / Reply\r\n",
                                      .endless = true};
    });
    loadWithLookup(server.address());
    EXPECT_THAT(failureBox(server), ::testing::HasSubstr("the reply is too large"));
    EXPECT_TRUE(cacheFiles().isEmpty());
    // The client hung up after the limit plus what the sockets held.
    EXPECT_TRUE(hungUp(server));
    EXPECT_GE(server.bodyBytesSent(), 4 * 1024 * 1024);
    EXPECT_LT(server.bodyBytesSent(), 64 * 1024 * 1024);
}

TEST_F(LookupFault, ATricklingReplyEndsAtTheTimeOutAndTheDiscStillPlays) {
    const RobustnessRow row("Lookup server trickling its reply a byte at a time",
                            "The total time-out ends the lookup, which fails with the time-out "
                            "text, nothing is cached");
    const RobustnessRow window("Lookup failing while a disc loads (endless or trickling reply)",
                               "A \"CDDB Error\" box names the server and the reason, the disc "
                               "loads from its own table and plays");
    LocalHttpServer server([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.body = "2", .endless = true, .trickle = 100ms};
    });
    loadWithLookup(server.address(), 800);
    EXPECT_THAT(QString::fromStdString(failureBox(server)).toLower().toStdString(),
                ::testing::HasSubstr("timed out"));
    EXPECT_TRUE(cacheFiles().isEmpty());
    EXPECT_TRUE(hungUp(server)) << "the client gave up, not the server";
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_FALSE(app.v.bCDDBFound);
    EXPECT_EQ(mode('E'), Mode::Playing);
    second();
    tick();
    EXPECT_EQ(tp.messageBox->boxes.size(), 1u) << "one box for one disc";
}

TEST_F(LookupFault, HangingSourcesShareOneTimeLimit) {
    const RobustnessRow row("CDDB server and MusicBrainz both hanging while a disc loads",
                            "The lookup gives up after 15 s for all its sources together, and "
                            "the box names the server's time-out and MusicBrainz as not asked");
    LocalHttpServer cddb([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.neverAnswer = true};
    });
    LocalHttpServer musicBrainz([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.neverAnswer = true};
    });
    loadWithLookup(cddb.address(), 800, musicBrainz.base());
    const QString box = QString::fromStdString(failureBox(cddb));
    EXPECT_TRUE(box.contains(cddb.address() + ": Operation timed out")) << box.toStdString();
    EXPECT_TRUE(box.contains(musicBrainz.address() + ": not asked")) << box.toStdString();
    EXPECT_EQ(musicBrainz.requestCount(), 0u);
    EXPECT_EQ(mode('E'), Mode::Playing);
}

TEST_F(LookupFault, ADiscTakenOutDuringTheLookupLeavesAConsistentState) {
    const RobustnessRow row("Disc taken out of the drive while its lookup waits on a slow server",
                            "The lookup's answer is shown, the next tick sees the drive empty "
                            "(\"No CD\"), a disc put back loads and plays again");
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
    EXPECT_TRUE(app.v.bCDDBFound);
    EXPECT_EQ(f->lblArtist->text(), "The Artist");

    tick();
    EXPECT_FALSE(app.v.bCDInDrive);
    EXPECT_EQ(f->lblTime->text(), "No CD");
    EXPECT_EQ(f->cboCurrentTrack->count(), 0);
    EXPECT_FALSE(f->tmrTime->isActive());
    EXPECT_EQ(mode('E'), Mode::NotReady);
    seconds(3);
    tick();
    EXPECT_EQ(f->lblTime->text(), "No CD");

    // Query CDDB with the drive empty: there is no disc to look up.
    const RobustnessRow query("Query CDDB with the drive empty after a disc was taken out",
                              "The \"Cannot read from CD-ROM\" box, nothing is looked up or shown");
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
    EXPECT_TRUE(app.v.bCDInDrive);
    EXPECT_TRUE(app.v.bCDDBFound);
    EXPECT_EQ(requests, 2) << "query and read once, then the cache";
    EXPECT_EQ(f->lblTotTracks->text(), "3");
    EXPECT_EQ(mode('E'), Mode::Playing);
    seconds(2);
    tick();
    EXPECT_EQ(f->lblTime->text(), "0:02");
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
    const QByteArray refused = "500 Unknown developer email. Please register.\r\n";
    struct Row {
        di::DiscSpec disc;
        bool serverKnowsIt; // else it refuses
        QStringList shown;  // artist, album, track count, track list
    };
    const std::vector<Row> rows{
        {extra, true, {"The Artist", "The Album", "4", "1. One|2. Two|3. Three|4. "}},
        {texted,
         false,
         {QString::fromUtf8("Les Caf\xc3\xa9s"), QString::fromUtf8("Premi\xc3\xa8re"), "2",
          QString::fromUtf8("1. Ouverture|2. \xc3\x89t\xc3\xa9")}},
        // Nothing has titles: the disc's own table.
        {audioDisc({4, 5, 6}), false, {"-", "-", "3", "1|2|3"}},
    };
    for (const Row& r : rows) {
        // The disc before is taken out, and the player sees the drive empty.
        eject('E');
        if (&r != &rows.front())
            tick();
        QDir(dir.filePath("CDDB")).removeRecursively();
        tp.messageBox->boxes.clear();
        insert('E', r.disc);
        // The entry carries the offsets the query sent and a disc length to
        // the end of the data track, as entries of such discs do.
        QStringList query;
        LocalHttpServer server([&](const LocalHttpServer::Request& request) {
            if (!r.serverKnowsIt)
                return LocalHttpServer::Reply{.body = refused};
            const QStringList words = request.query.queryItemValue("cmd").split(u'+');
            if (words.value(1) == QLatin1String("query"))
                query = words;
            LocalHttpServer::Reply reply = cddbAnswer(request);
            QByteArray offsets = "# Track frame offsets:\r\n";
            for (qsizetype i = 4; i + 1 < query.size(); ++i)
                offsets += "#\t" + query[i].toLatin1() + "\r\n";
            reply.body.replace("# xmcd\r\n", "# xmcd\r\n" + offsets + "# Disc length: " +
                                                 query.value(query.size() - 1).toLatin1() +
                                                 " seconds\r\n");
            return reply;
        });
        loadWithLookup(server.address());
        EXPECT_EQ((QStringList{f->lblArtist->text(), f->lblAlbum->text(), f->lblTotTracks->text(),
                               entries(f->cboCurrentTrack).join(u'|')}),
                  r.shown);
        if (r.shown[0] == QLatin1String("-")) {
            const QString box = QString::fromStdString(failureBox(server));
            EXPECT_TRUE(box.contains("500 Unknown developer email")) << box.toStdString();
            EXPECT_TRUE(box.contains("127.0.0.1:1: ")) << "MusicBrainz was asked";
            EXPECT_TRUE(box.contains("CD-TEXT: the disc carries none"));
        } else {
            EXPECT_TRUE(tp.messageBox->boxes.empty());
        }
        EXPECT_EQ(mode('E'), Mode::Playing);
        if (r.serverKnowsIt) {
            // The last audio track ends at its session, not at the data track.
            EXPECT_EQ(f->uFREEDB1->TrackSeconds(3), 200);
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
    struct Case {
        const char* name;
        QString server;
        di::DiscSpec disc;
    };
    const std::vector<Case> cases{{"refused", "127.0.0.1:1", audioDisc({6})},
                                  {"no match", noMatch.address(), audioDisc({6})},
                                  {"data", noMatch.address(), dataDisc()}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        eject('E');
        insert('E', c.disc);
        tp.messageBox->boxes.clear();
        loadWithLookup(c.server);
        for (int i = 0; i < 10; ++i) {
            second();
            tick();
            EXPECT_EQ(app.v.iCurrentTrack, 1);
        }
        for (const auto& box : tp.messageBox->boxes)
            EXPECT_NE(box.caption, "Vornap") << box.text.toStdString();
        EXPECT_TRUE(app.v.bCDInDrive);
        EXPECT_TRUE(app.v.bStopped) << "at the end";
        EXPECT_FALSE(f->tmrTime->isActive());
    }
}

// The drive box from a disc with titles to one whose lookup finds nothing:
// the titles of the first must not stay on show for the second.
TEST_F(LookupFault, ADiscWithoutTitlesNeverShowsThoseOfTheDiscBefore) {
    const RobustnessRow row("Disc whose lookup finds nothing or fails, taken in after a disc "
                            "with titles (first-run options)",
                            "Its own track table: numbers, count and lengths from the disc, "
                            "\"-\" for artist and album, in the window and on MPRIS");
    drive('F');
    insert('F', audioDisc({6}));
    LocalHttpServer server([](const LocalHttpServer::Request& request) {
        const QStringList words = request.query.queryItemValue("cmd").split(u'+');
        if (words.value(1) == QLatin1String("query") && words.value(3) == QLatin1String("1"))
            return LocalHttpServer::Reply{.body = "202 No match for disc ID\r\n"};
        return cddbAnswer(request);
    });
    loadWithLookup(server.address());
    ASSERT_EQ(f->lblArtist->text(), "The Artist");

    emit f->cboCDDrive->dropDown();
    choose(f->cboCDDrive, "F:\\ - Album Unknown");
    emit f->cboCDDrive->activated(f->cboCDDrive->currentIndex());
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Error");
    EXPECT_EQ((QStringList{f->lblArtist->text(), f->lblAlbum->text(), f->lblTotTracks->text(),
                           f->lblTotTrackTime->text(), entries(f->cboCurrentTrack).join(u'|'),
                           f->cboCurrentTrack->text()}),
              (QStringList{"-", "-", "1", "0:05", "1", "1"}));
    const QVariantMap meta = MprisService(app, QDBusConnection(QStringLiteral("none"))).metadata();
    EXPECT_EQ(meta.value("xesam:title").toString(), "Track 1");
    EXPECT_FALSE(meta.contains("xesam:artist"));
    EXPECT_EQ(mode('F'), Mode::Playing);
}

// Entries may hold line breaks and tabs (the escapes \n and \t); places of
// one line show them as blanks, the titles themselves keep them.
TEST_F(LookupFault, LineBreaksAndTabsInTitlesShowAsBlanks) {
    const RobustnessRow row("Titles holding line breaks or tabs (\\n, \\t in the entry)",
                            "Labels, drive and track boxes, tray tip and menu show them as "
                            "blanks, on one line");
    LocalHttpServer server([](const LocalHttpServer::Request& request) {
        LocalHttpServer::Reply reply = cddbAnswer(request);
        reply.body.replace("The Artist / The Album", "Two\\nLines / The\\tAlbum");
        reply.body.replace("TTITLE0=One", "TTITLE0=On\\ne");
        return reply;
    });
    trayOnly = QStringLiteral("1");
    loadWithLookup(server.address());
    tick();
    const platform::NotifyIconData& tip = tp.tray->calls.back().data;
    EXPECT_EQ((QStringList{f->lblArtist->text(), f->lblAlbum->text(), f->cboCDDrive->text(),
                           entries(f->cboCurrentTrack).join(u'|'), f->cboCurrentTrack->text(),
                           QString::fromLatin1(tip.szTip.data(), 7), f->mnuTrackList[1]->text()}),
              (QStringList{"Two Lines", "The Album", "E:\\ - Two Lines - The Album",
                           "1. On e|2. Two|3. Three", "1. On e", "1. On e", "On e"}));
    EXPECT_EQ(f->uFREEDB1->TrackTitle(1), "On\ne");
}
