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
    // From the entry's disc length, which differs from the disc's own by 6 s.
    EXPECT_EQ(lookup->TrackSeconds(3), 71);

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
    EXPECT_EQ(again->TrackSeconds(3), 71) << "the cached entry keeps its offsets";
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(Lookup, SeveralMatchesTakeTheFirstAndCacheItUnderTheDiscsOwnId) {
    script.queryReply = "211 close matches found\r\n"
                        "jazz 22aa0b03 Other / First Choice\r\n"
                        "rock 33bb0c03 Other / Second\r\n.\r\n";
    script.entries["jazz 22aa0b03"] = xmcdEntry("Other / First Choice", {"a", "b", "c"});
    auto lookup = makeLookup();

    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 2);
    EXPECT_EQ(lookup->DiscTitle(), "First Choice");
    EXPECT_EQ(server.requests()[1].query.queryItemValue("cmd"), "cddb+read+jazz+22aa0b03");
    EXPECT_EQ(cacheFiles(), QStringList{"jazz/11005c03"});
    // Without offsets in the entry, lengths come from the disc.
    EXPECT_EQ(lookup->TrackSeconds(3), 65);

    script.queryReply = "210 Found exact matches, list follows (until terminating `.')\r\n"
                        "blues 11005c03 Blue / Album\r\nrock 11005c03 Red / Album\r\n.\r\n";
    script.entries["blues 11005c03"] = xmcdEntry("Blue / Album", {"x", "y", "z"});
    QDir(dir.filePath("CDDB")).removeRecursively();
    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 2);
    EXPECT_EQ(lookup->DiscArtist(), "Blue");

    // No match anywhere gives zero and keeps the previous answer.
    QDir(dir.filePath("CDDB")).removeRecursively();
    script.queryReply = "202 No match for disc ID 11005c03.\r\n";
    EXPECT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 0);
    EXPECT_TRUE(server.requests().back().path.startsWith("/ws/2/discid/"));
    EXPECT_TRUE(cacheFiles().isEmpty());
    EXPECT_EQ(lookup->DiscArtist(), "Blue");
}

TEST_F(Lookup, RefusalsAndUnreadableRepliesAreFailuresThatNameTheirCause) {
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

    script.queryReply = "202 No match\r\n";
    script.musicBrainz = {503, "busy"};
    EXPECT_EQ(failureOf(*lookup), "HTTP status 503");
    script.musicBrainz = {200, "{not json"};
    EXPECT_EQ(failureOf(*lookup), unreadable);
}

TEST_F(Lookup, HttpErrorsAndUnreachableServersAreFailures) {
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
    const QString reason = failureOf(*lookup);
    EXPECT_TRUE(reason.contains("timed out", Qt::CaseInsensitive)) << reason.toStdString();
    EXPECT_EQ(server.requestCount(), 1u);
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

    // A port that is not a number leaves the proxy's own.
    setProxy(server.address().toStdString(), "eighty");
    QDir(dir.filePath("CDDB")).removeRecursively();
    ASSERT_EQ(lookup->QueryDisc(QStringLiteral("11005c03")), 1);
    EXPECT_EQ(server.requestCount(), 4u);

    // Switched off in the dialog, the address stays stored and unused.
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
