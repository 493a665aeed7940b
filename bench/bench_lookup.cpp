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

} // namespace

BENCHMARK_MAIN();
