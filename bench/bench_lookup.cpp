#include "freedb/freedblookup.h"
#include "platform/memoryregistry.h"
#include "support/localhttp.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// The disc of the measured recipe, FreeDB 11005c03, in every drive.
struct KnownDisc final : platform::DiscTocSource {
    std::optional<platform::DiscToc> readToc(const std::string&) override {
        return platform::DiscToc{1, 3, {150, 1650, 2175}, {false, false, false}, 7050, {}};
    }
};

// A CDDB server with one entry for the disc, and a MusicBrainz that knows none.
struct CddbServer {
    QByteArray queryReply = "200 rock 11005c03 The Artist / The Album\r\n";
    LocalHttpServer::Reply operator()(const LocalHttpServer::Request& r) const {
        if (r.path.startsWith(QLatin1String("/ws/2/discid/")))
            return {404, "{\"error\":\"Not Found\"}", "application/json"};
        if (r.query.queryItemValue(QStringLiteral("cmd")).startsWith(QLatin1String("cddb+query")))
            return {200, queryReply};
        return {200, "210 rock 11005c03 CD database entry follows\r\n# xmcd\r\n#\r\n"
                     "# Track frame offsets:\r\n#\t150\r\n#\t1650\r\n#\t2175\r\n#\r\n"
                     "# Disc length: 100 seconds\r\nDISCID=11005c03\r\n"
                     "DTITLE=The Artist / The Album\r\nTTITLE0=One\r\nTTITLE1=Two\r\n"
                     "TTITLE2=Three\r\n.\r\n"};
    }
};

struct Lookup {
    QTemporaryDir dir;
    KnownDisc toc;
    platform::MemoryRegistry registry;
    CddbServer script;
    LocalHttpServer server{[this](const LocalHttpServer::Request& r) { return script(r); }};
    std::unique_ptr<FreeDbLookup> lookup;

    Lookup() {
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        qunsetenv("all_proxy");
        LookupSettings settings;
        settings.musicBrainzUrl = QStringLiteral("http://") + server.address();
        // The public service's pace; the local one answers at once.
        settings.musicBrainzIntervalMs = 0;
        lookup = std::make_unique<FreeDbLookup>(toc, registry, dir.path(), settings);
        lookup->setEmailAddress(QStringLiteral("bench@example.org"));
        lookup->setServerName(server.address());
        lookup->GetDiscID(QStringLiteral("D:\\"));
    }
    void forget() { QDir(dir.filePath(QStringLiteral("CDDB"))).removeRecursively(); }
};

// A disc not in the cache: query and read against a server on this machine,
// then the entry is written to the cache.
void BM_LookupRoundTrip(benchmark::State& state) {
    Lookup l;
    for (auto _ : state) {
        state.PauseTiming();
        l.forget();
        state.ResumeTiming();
        if (l.lookup->QueryDisc(QStringLiteral("11005c03")) != 1)
            state.SkipWithError("lookup failed");
    }
}
BENCHMARK(BM_LookupRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same disc again: answered from the cache without a request.
void BM_LookupCacheHit(benchmark::State& state) {
    Lookup l;
    l.lookup->QueryDisc(QStringLiteral("11005c03"));
    const std::size_t requests = l.server.requestCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(l.lookup->QueryDisc(QStringLiteral("11005c03")));
    if (l.server.requestCount() != requests)
        state.SkipWithError("the cache did not answer");
}
BENCHMARK(BM_LookupCacheHit)->Unit(benchmark::kMillisecond)->UseRealTime();

// A disc no source knows: the CDDB server answers 202, MusicBrainz 404 and
// the disc has no CD-TEXT, so every source is asked before the answer "none".
void BM_LookupFullMiss(benchmark::State& state) {
    Lookup l;
    l.script.queryReply = "202 No match for disc ID 11005c03.\r\n";
    for (auto _ : state) {
        const std::size_t before = l.server.requestCount();
        if (l.lookup->QueryDisc(QStringLiteral("11005c03")) != 0 ||
            l.server.requestCount() - before != 2)
            state.SkipWithError("not every source was asked");
    }
}
BENCHMARK(BM_LookupFullMiss)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
