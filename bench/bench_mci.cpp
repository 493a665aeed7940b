#include "platform/audio/deemphasis.h"
#include "platform/discimage/discimage.h"
#include "platform/mci/mcidevice.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <ctime>
#include <sys/time.h>

using namespace vornap::platform;
namespace di = discimage;

namespace {

struct Device {
    QTemporaryDir dir;
    ManualClock clock;
    CdDevices cd = makeTestCdDevices(dir.path(), clock);
    char answer[30];

    explicit Device(int tracks) {
        if (tracks == 0)
            return;
        di::DiscSpec spec;
        for (int i = 0; i < tracks; ++i)
            spec.tracks.push_back(di::TrackSpec::audio(di::seconds(200)));
        di::writeBinCue(spec, dir.filePath("disc.cue"));
        cd.table->addVirtualDrive('E', dir.filePath("disc.cue"));
    }
    std::uint32_t send(const char* command) { return cd.device->sendString(command, answer, 30); }
};

// The tray as a drive sees it long after the last insertion or removal; the
// first second after a change, the drive lists the tray at every probe.
void settle(const QString& tray) {
    const timeval old[2] = {{std::time(nullptr) - 60, 0}, {std::time(nullptr) - 60, 0}};
    ::utimes(QFile::encodeName(tray).constData(), old);
}

// What every tick asks first: is there a disc, then the drive opened again.
void probe(Device& d) {
    d.send("close all");
    d.send("open E:\\ type cdaudio alias CDCheck wait shareable");
    d.send("status CDCheck media present wait");
    d.send("close all");
    d.send("open E:\\ type cdaudio alias cd1 wait shareable");
}

// One tick of the disc watcher while a disc plays: the probe of the drive,
// then the queries behind the position display.
void BM_WatcherTick(benchmark::State& state, bool tray) {
    Device d(12);
    if (tray) {
        QDir(d.dir.path()).mkdir("tray");
        QFile::rename(d.dir.filePath("disc.cue"), d.dir.filePath("tray/disc.cue"));
        QFile::rename(d.dir.filePath("disc.bin"), d.dir.filePath("tray/disc.bin"));
        d.cd.table->addVirtualDrive('E', d.dir.filePath("tray"));
        settle(d.dir.filePath("tray"));
    }
    d.send("open E:\\ type cdaudio alias cd1 wait shareable");
    d.send("set cd1 time format tmsf");
    d.send("play cd1 from 3");
    for (auto _ : state) {
        probe(d);
        d.send("set cd1 time format milliseconds");
        d.send("status cd1 position");
        d.send("status cd1 length track 3");
        d.send("status cd1 length");
        d.send("set cd1 time format tmsf");
        benchmark::DoNotOptimize(d.answer);
    }
}
BENCHMARK_CAPTURE(BM_WatcherTick, image_file, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WatcherTick, tray_directory, true)->Unit(benchmark::kMicrosecond);

// A tick with the drive empty: only the probe.
void BM_WatcherTickEmpty(benchmark::State& state) {
    Device d(0);
    QDir(d.dir.path()).mkdir("tray");
    d.cd.table->addVirtualDrive('E', d.dir.filePath("tray"));
    settle(d.dir.filePath("tray"));
    for (auto _ : state) {
        probe(d);
        benchmark::DoNotOptimize(d.answer);
    }
}
BENCHMARK(BM_WatcherTickEmpty)->Unit(benchmark::kMicrosecond);

void BM_StatusPosition(benchmark::State& state) {
    Device d(12);
    d.send("open E:\\ type cdaudio alias cd1 wait shareable");
    d.send("set cd1 time format milliseconds");
    for (auto _ : state)
        d.send("status cd1 position");
}
BENCHMARK(BM_StatusPosition)->Unit(benchmark::kMicrosecond);

// De-emphasis of one second of a flagged track, read a tenth of a second at a time.
void BM_DeemphasisSecond(benchmark::State& state) {
    std::vector<std::int16_t> tone(44100 * 2), pcm;
    di::sine(1000)(0, tone.data(), 44100);
    audio::Deemphasis filter;
    for (auto _ : state) {
        pcm = tone;
        for (int at = 0; at < 44100; at += 4704)
            filter.process(pcm.data() + 2 * at, std::min(4704, 44100 - at));
        benchmark::DoNotOptimize(pcm.data());
    }
}
BENCHMARK(BM_DeemphasisSecond)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
