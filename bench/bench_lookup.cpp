#include "lookupsupport.h"
#include "platform/memoryregistry.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct Lookup {
    QTemporaryDir dir;
    FakeTocSource toc;
    platform::MemoryRegistry registry;
    CddbScript script;
    LocalHttpServer server{[this](const LocalHttpServer::Request& r) { return script(r); }};
    std::unique_ptr<FreeDbLookup> lookup;

    Lookup() {
        qunsetenv("http_proxy");
        qunsetenv("HTTP_PROXY");
        qunsetenv("all_proxy");
        toc.discs["D:\\"] = knownToc();
        script.queryReply = "200 rock 11005c03 The Artist / The Album\r\n";
        script.entries["rock 11005c03"] =
            xmcdEntry("The Artist / The Album", {"One", "Two", "Three"}, {150, 1650, 2175}, 100);
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
