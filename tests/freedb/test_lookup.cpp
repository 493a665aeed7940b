#include "faults/robustnessrow.h"
#include "freedb/frmsetproxy.h"
#include "lookupsupport.h"
#include "platform/memoryregistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

class Lookup : public ::testing::Test {
protected:
    Lookup() {
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        qunsetenv("all_proxy");
        toc.discs["D:\\"] = knownToc();
    }

    // A component with the test's time-outs, pointed at the test server.
    std::unique_ptr<FreeDbLookup> makeLookup(const QString& server) {
        LookupSettings settings;
        settings.connectTimeoutMs = 1000;
        settings.totalTimeoutMs = totalTimeoutMs;
        settings.musicBrainzUrl = QStringLiteral("http://") + this->server.address();
        settings.musicBrainzIntervalMs = 0;
        auto lookup = std::make_unique<FreeDbLookup>(toc, registry, dir.path(), settings);
        lookup->setClientName(QStringLiteral("Vornap"));
        lookup->setClientVersion(QStringLiteral("1.00"));
        lookup->setEmailAddress(QStringLiteral("joe@example.org"));
        lookup->setServerName(server);
        EXPECT_EQ(lookup->GetDiscID(QStringLiteral("D:\\")), "11005c03");
        return lookup;
    }
    std::unique_ptr<FreeDbLookup> makeLookup() { return makeLookup(server.address()); }

    // The reason of the failure the lookup ends in; the server it names is kept.
    QString failureOf(FreeDbLookup& lookup) {
        try {
            lookup.QueryDisc(QStringLiteral("11005c03"));
        } catch (const LookupFailure& failure) {
            failedServer = failure.server();
            return failure.reason();
        }
        return QStringLiteral("(no failure)");
    }
    void setProxy(const std::string& address, const std::string& port) {
        const std::string key = kProgramRegistryKey.toStdString();
        registry.setValue(platform::HKEY_LOCAL_MACHINE, key, "ProxyAddress",
                          {platform::REG_SZ, address + '\0'});
        registry.setValue(platform::HKEY_LOCAL_MACHINE, key, "ProxyPort", {platform::REG_SZ, port});
    }
    QStringList cacheFiles() const {
        QStringList files;
        QDir root(dir.filePath(QStringLiteral("CDDB")));
        for (const QString& c : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            for (const QString& f : QDir(root.filePath(c)).entryList(QDir::Files))
                files << c + u'/' + f;
        return files;
    }

    int totalTimeoutMs = 3000;
    QString failedServer;
    QTemporaryDir dir;
    FakeTocSource toc;
    platform::MemoryRegistry registry;
    CddbScript script;
    LocalHttpServer server{[this](const LocalHttpServer::Request& r) { return script(r); }};
};

const QByteArray kEntry =
    xmcdEntry("The Artist / The Album", {"One", "Two", "Three"}, {150, 1650, 2175}, 100);

} // namespace

TEST_F(Lookup, ExactMatchQueriesThenReadsAndTheCacheAnswersTheNextTime) {
    script.queryReply = "200 rock 11005c03 The Artist / The Album\r\n";
    script.entries["rock 11005c03"] = kEntry;
    auto lookup = makeLookup();

    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(lookup->DiscArtist(), "The Artist");
    EXPECT_EQ(lookup->DiscTitle(), "The Album");
    EXPECT_EQ(lookup->TrackCount(), 3);
    EXPECT_EQ(lookup->TrackTitle(3), "Three");
    EXPECT_EQ(lookup->TrackTitle(4), "");
    EXPECT_EQ(lookup->TrackSeconds(1), 20);
    // From the disc's own table, not from the entry's disc length (71 s).
    EXPECT_EQ(lookup->TrackSeconds(3), 65);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/~cddb/cddb.cgi");
    EXPECT_EQ(requests[0].query.queryItemValue("cmd"), "cddb+query+11005c03+3+150+1650+2175+94");
    EXPECT_EQ(requests[0].query.queryItemValue("hello"), "joe+example.org+Vornap+1.00");
    EXPECT_EQ(requests[0].query.queryItemValue("proto"), "6");
    EXPECT_EQ(requests[0].headers.at("host"), server.address().toUtf8());
    EXPECT_EQ(requests[1].query.queryItemValue("cmd"), "cddb+read+rock+11005c03");
    EXPECT_EQ(cacheFiles(), QStringList{"rock/11005c03"});

    auto again = makeLookup();
    EXPECT_EQ(again->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(again->DiscArtist(), "The Artist");
    EXPECT_EQ(again->TrackSeconds(3), 65);
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(Lookup, SeveralMatchesTakeTheOneFittingTheDiscAndAnotherCanBeChosen) {
    // An inexact match as gnudb lists it: a pressing with a bonus track first.
    script.queryReply = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                        "rock 22aa0b04 Band / Album (Bonus Edition)\r\n"
                        "rock 33bb0c03 Band / Album\r\n.\r\n";
    script.entries["rock 22aa0b04"] = xmcdEntry(
        "Band / Album (Bonus Edition)", {"a", "b", "c", "Bonus"}, {150, 1650, 2175, 5000}, 120);
    script.entries["rock 33bb0c03"] =
        xmcdEntry("Band / Album", {"One", "Two", "Three"}, {182, 1682, 2207}, 95);
    auto lookup = makeLookup();

    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 2);
    EXPECT_EQ(lookup->DiscTitle(), "Album");
    const QStringList names = lookup->matchNames();
    ASSERT_EQ(names.size(), 2);
    EXPECT_TRUE(names[1].contains("Bonus Edition")) << names[1].toStdString();
    EXPECT_EQ(cacheFiles(), QStringList{"rock/11005c03"});

    // The other pressing's titles; the count and lengths stay the disc's.
    ASSERT_TRUE(lookup->chooseMatch(1));
    EXPECT_EQ(lookup->TrackTitle(3), "c");
    EXPECT_EQ(lookup->TrackTitle(4), "");
    EXPECT_EQ(lookup->TrackCount(), 3);
    EXPECT_EQ(lookup->TrackSeconds(3), 65);
    EXPECT_FALSE(lookup->chooseMatch(2));
    auto again = makeLookup();
    EXPECT_EQ(again->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(again->DiscTitle(), "Album (Bonus Edition)") << "the cache follows the choice";

    // Asked again by hand, the server's answer replaces the cached entry,
    // also when it files the disc under another category.
    script.queryReply = "210 Found exact matches, list follows (until terminating `.')\r\n"
                        "jazz 11005c03 Band / Album Remastered\r\n.\r\n";
    script.entries["jazz 11005c03"] = xmcdEntry("Band / Album Remastered", {"x", "y", "z"});
    again->askAgain();
    EXPECT_EQ(again->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(again->DiscTitle(), "Album Remastered");
    EXPECT_EQ(cacheFiles(), QStringList{"jazz/11005c03"});

    // No match anywhere gives zero and keeps the previous answer and cache.
    script.queryReply = "202 No match for disc ID 11005c03.\r\n";
    again->askAgain();
    EXPECT_EQ(again->QueryDisc(QStringLiteral("11005c03")), 0);
    EXPECT_TRUE(server.requests().back().path.startsWith("/ws/2/discid/"));
    EXPECT_EQ(again->DiscArtist(), "Band");
    EXPECT_EQ(cacheFiles(), QStringList{"jazz/11005c03"});
}

// A MusicBrainz answer to a TOC whose exact disc ID it lacks, shaped as its
// documentation shows: releases whose medium has the same track count, and
// one that matches only another medium.
const QByteArray kFuzzyReleases = R"({"release-count":3,"release-offset":0,"releases":[
 {"id":"5a2c2a4e-3b7c-4d1a-9a1f-0c1d2e3f4a5b","title":"Club Edition","status":"Official",
  "date":"2003","country":"DE","artist-credit":[{"name":"Anna","joinphrase":"",
  "artist":{"id":"9c1f","name":"Anna","sort-name":"Anna"}}],
  "media":[{"position":1,"format":"CD","track-count":3,
   "discs":[{"id":"Xr2b1sQm8hNwX4wrA0nX7pQn2Xo-","sectors":9000,"offset-count":3,
             "offsets":[150,2400,5175]}],
   "tracks":[{"id":"t1","number":"1","position":1,"title":"Eins","length":30000},
             {"id":"t2","number":"2","position":2,"title":"Zwei","length":37000},
             {"id":"t3","number":"3","position":3,"title":"Drei","length":51000}]}]},
 {"id":"1b2c3d4e-0000-4000-8000-000000000002","title":"Caf\u00e9 Songs","status":"Official",
  "date":"2004-05-01","country":"GB","artist-credit":[{"name":"Anna","joinphrase":" & "},
  {"name":"Bo","joinphrase":""}],
  "media":[{"position":1,"format":"CD","track-count":3,
   "discs":[{"id":"Qw1b1sQm8hNwX4wrA0nX7pQn2Xo-","sectors":7050,"offset-count":3,
             "offsets":[150,1650,2175]}],
   "tracks":[{"id":"u1","number":"1","position":1,"title":"Uno","length":20000},
             {"id":"u2","number":"2","position":2,"title":"Dos","length":7000},
             {"id":"u3","number":"3","position":3,"title":"","length":65000,
              "recording":{"id":"r3","title":"Tres","length":65000}}]}]},
 {"id":"1b2c3d4e-0000-4000-8000-000000000003","title":"Box Set","date":"2010",
  "artist-credit":[{"name":"Anna","joinphrase":""}],
  "media":[{"position":1,"format":"CD","track-count":12,"discs":[],"tracks":[]}]}]})";

TEST_F(Lookup, EachSourceIsAskedWhenTheOneBeforeRefusedFailedOrFoundNothing) {
    const QByteArray refused = "500 Unknown developer email. Please register.\r\n";
    const QByteArray noMatch = "202 No match for disc ID 11005c03.\r\n";
    const LocalHttpServer::Reply releases{200, kFuzzyReleases, "application/json"};
    const LocalHttpServer::Reply notFound{404, R"({"error":"Not Found"})", "application/json"};
    const LocalHttpServer::Reply busy{503, "Service Temporarily Unavailable"};
    platform::DiscText cdText{"The Performer", "Its Own Title", {"a", "b", "c"}};
    const QString none = "(no entry)";
    struct Row {
        QByteArray cddb;
        LocalHttpServer::Reply musicBrainz;
        bool withCdText;
        QString album; // or none, or the failure's text
    };
    const std::vector<Row> rows{
        {refused, releases, true, QString::fromUtf8("Caf\xc3\xa9 Songs")},
        {refused, notFound, true, "Its Own Title"},
        {refused, busy, true, "Its Own Title"},
        {refused, notFound, false, none},
        {noMatch, busy, false, none},
        {refused, busy, false,
         server.address() + ": 500 Unknown developer email. Please register.\n" + server.address() +
             ": HTTP status 503\nCD-TEXT: the disc carries none"},
    };
    for (const Row& row : rows) {
        QDir(dir.filePath("CDDB")).removeRecursively();
        script.queryReply = row.cddb;
        script.musicBrainz = row.musicBrainz;
        toc.discs["D:\\"].text = row.withCdText ? cdText : platform::DiscText{};
        auto lookup = makeLookup();
        const std::size_t before = server.requestCount();
        QString album;
        try {
            album = lookup->QueryDisc(QStringLiteral("11005c03")) ? lookup->DiscTitle() : none;
        } catch (const LookupFailure& failure) {
            album = QString::fromStdString(failure.what());
        }
        EXPECT_EQ(album, row.album) << row.cddb.toStdString() << row.musicBrainz.status;
        EXPECT_EQ(server.requestCount() - before, 2u) << "one query to each server";
        // Only a server's answer is cached: the disc is read again next time.
        EXPECT_EQ(cacheFiles().size(), row.musicBrainz.status == 200 ? 1 : 0);
    }

    // The fuzzy answer: the release whose offsets fit, of those with three tracks.
    script.queryReply = refused;
    script.musicBrainz = releases;
    QDir(dir.filePath("CDDB")).removeRecursively();
    auto lookup = makeLookup();
    ASSERT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 2);
    EXPECT_EQ(lookup->DiscArtist(), "Anna & Bo");
    EXPECT_EQ(lookup->TrackTitle(3), "Tres");
    EXPECT_TRUE(lookup->matchNames()[1].contains("Club Edition"));
    EXPECT_EQ(server.requests().back().query.queryItemValue("toc"), "1+3+7050+150+1650+2175");
}

TEST_F(Lookup, RefusalsAndUnreadableRepliesAreFailuresThatNameTheirCause) {
    script.musicBrainz = {503, "busy"};
    auto lookup = makeLookup();
    const QString unreadable = "the server's reply could not be read";
    const QString badEntry = "the disc entry could not be read";
    const QByteArray match = "200 rock 11005c03 The Artist / The Album\r\n";
    // Query reply, read reply (empty: the entry the script holds), failure.
    const std::vector<std::tuple<QByteArray, QByteArray, QString>> cases{
        {"500 Unknown developer email. Please register.\r\n", "",
         "500 Unknown developer email. Please register."},
        {"409 No handshake.\r\n", "", "409 No handshake."},
        {"<html>Welcome</html>", "", unreadable},
        {"200 garbage\r\n", "", unreadable},
        {"211 close matches\r\n.\r\n", "", unreadable},
        {match, "", "401 rock 11005c03 No such CD entry in database."},
        {match, "402 Server error.\r\n", "402 Server error."},
        {match, "403 Database entry is corrupt.\r\n", "403 Database entry is corrupt."},
        // An entry cut off before its terminating line is not taken.
        {match, "210 rock 11005c03 follows\r\n" + kEntry, badEntry},
        {match, "210 rock 11005c03 follows\r\nnot an entry\r\n.\r\n", badEntry},
    };
    for (const auto& [query, read, failure] : cases) {
        script.queryReply = query;
        script.readReply = read;
        EXPECT_EQ(failureOf(*lookup), failure) << query.toStdString() << read.toStdString();
        EXPECT_EQ(failedServer, server.address());
    }
    EXPECT_TRUE(cacheFiles().isEmpty());

    script.musicBrainz = {200, "{not json"};
    try {
        lookup->QueryDisc(QStringLiteral("11005c03"));
        ADD_FAILURE() << "no failure";
    } catch (const LookupFailure& failure) {
        ASSERT_EQ(failure.answers().size(), 3u);
        EXPECT_EQ(failure.answers()[1].answer, unreadable);
    }
}

TEST_F(Lookup, HttpErrorsAndUnreachableServersAreFailures) {
    script.musicBrainz = {503, "busy"};
    LocalHttpServer missing([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{404, "no such page"};
    });
    auto lookup = makeLookup(missing.address());
    EXPECT_EQ(failureOf(*lookup), "HTTP status 404");

    LocalHttpServer hangUp([](const LocalHttpServer::Request&) {
        return LocalHttpServer::Reply{.closeAtOnce = true};
    });
    lookup->setServerName(hangUp.address());
    EXPECT_THROW(lookup->QueryDisc(QStringLiteral("11005c03")), LookupFailure);

    // https really speaks TLS: a plain server cannot answer it.
    lookup->setServerName(QStringLiteral("https://") + missing.address());
    EXPECT_THROW(lookup->QueryDisc(QStringLiteral("11005c03")), LookupFailure);

    const QString closed = QStringLiteral("127.0.0.1:%1").arg(LocalHttpServer::closedPort());
    lookup->setServerName(closed);
    EXPECT_NE(failureOf(*lookup), "(no failure)");
    EXPECT_EQ(failedServer, closed);

    script.neverAnswer = true;
    totalTimeoutMs = 300;
    lookup = makeLookup();
    const std::size_t before = server.requestCount();
    const QString reason = failureOf(*lookup);
    EXPECT_TRUE(reason.contains("timed out", Qt::CaseInsensitive)) << reason.toStdString();
    EXPECT_EQ(server.requestCount() - before, 1u) << "no time was left for MusicBrainz";
}

TEST_F(Lookup, TheStoredProxyCarriesEveryRequest) {
    setProxy("127.0.0.1", std::to_string(server.port()));
    script.queryReply = "200 rock 11005c03 The Artist / The Album\r\n";
    script.entries["rock 11005c03"] = kEntry;
    // A name that resolves nowhere: only the proxy can reach it.
    auto lookup = makeLookup(QStringLiteral("cddb.vornap.invalid:8880"));
    ASSERT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 1);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].target.startsWith("http://cddb.vornap.invalid:8880/~cddb/cddb.cgi?"));
    EXPECT_EQ(requests[0].headers.at("host"), "cddb.vornap.invalid:8880");

    // A port that is not a number leaves the one in the proxy's address.
    setProxy(server.address().toStdString(), "eighty");
    QDir(dir.filePath("CDDB")).removeRecursively();
    ASSERT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(server.requestCount(), 4u);

    const RobustnessRow row("Proxy switched off in its dialog",
                            "The address stays stored for later, the lookup goes direct");
    StoreProxy(registry, {false, QStringLiteral("127.0.0.1"), QString::number(server.port())});
    QDir(dir.filePath("CDDB")).removeRecursively();
    auto direct = makeLookup();
    ASSERT_EQ(direct->QueryDisc(QStringLiteral("11005c03")), 1);
    ASSERT_EQ(server.requestCount(), 6u);
    EXPECT_TRUE(server.requests()[4].target.startsWith("/~cddb/cddb.cgi?"));
}

TEST_F(Lookup, IdentifiersThatAreNotDiscIdsNeverReachThePath) {
    auto lookup = makeLookup();
    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("../../etc")), 0);
    EXPECT_EQ(lookup->QueryDisc(QString()), 0);
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(Lookup, MusicBrainzAnswersWhenTheCddbServerHasNoEntry) {
    script.musicBrainz.status = 200;
    script.musicBrainz.body = R"({"id":"SJdpcXRHi_Slapm_id4X7rNm8FA-","releases":[{
        "title":"Caf\u00e9 Songs","date":"2004-05-01",
        "artist-credit":[{"name":"Anna","joinphrase":" & "},{"name":"Bo","joinphrase":""}],
        "media":[
          {"position":1,"track-count":2,"discs":[{"id":"other"}],"tracks":[]},
          {"position":2,"track-count":3,"discs":[{"id":"SJdpcXRHi_Slapm_id4X7rNm8FA-"}],
           "tracks":[{"title":"Uno"},{"title":"Dos"},{"title":"","recording":{"title":"Tres"}}]}
        ]}]})";
    auto lookup = makeLookup();
    ASSERT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(lookup->DiscArtist(), "Anna & Bo");
    EXPECT_EQ(lookup->DiscTitle(), QString::fromUtf8("Caf\xc3\xa9 Songs"));
    EXPECT_EQ(lookup->TrackCount(), 3);
    EXPECT_EQ(lookup->TrackTitle(3), "Tres");
    EXPECT_EQ(lookup->TrackSeconds(1), 20);

    const auto mb = server.requests().back();
    EXPECT_EQ(mb.path, "/ws/2/discid/SJdpcXRHi_Slapm_id4X7rNm8FA-");
    EXPECT_EQ(mb.query.queryItemValue("fmt"), "json");
    EXPECT_TRUE(mb.query.queryItemValue("inc").contains("recordings"));
    EXPECT_TRUE(mb.headers.at("user-agent").startsWith("Vornap/1.00"));
    EXPECT_FALSE(mb.headers.at("user-agent").contains("joe")) << "the e-mail is for CDDB only";

    const std::size_t before = server.requestCount();
    auto again = makeLookup();
    EXPECT_EQ(again->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(again->TrackTitle(2), "Dos");
    EXPECT_EQ(server.requestCount(), before);
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
