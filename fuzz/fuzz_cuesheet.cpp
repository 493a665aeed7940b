// A cue sheet beside a real data file, as a strange image brings it: loaded
// as a disc, then played, sought and measured through the MCI device.
#include "discfixture.h"
#include "fuzzsupport.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    static const QTemporaryDir& dir = fuzz::discDirectory();
    // The sheet is written beside the generated disc.bin under its own name,
    // which libcdio takes as the data file.
    static const QString cue = [] {
        const QString path = dir.filePath(QStringLiteral("fuzz/disc.cue"));
        QDir(dir.path()).mkpath(QStringLiteral("fuzz"));
        QFile::remove(dir.filePath(QStringLiteral("fuzz/disc.bin")));
        if (!QFile::link(dir.filePath(QStringLiteral("tray/disc.bin")),
                         dir.filePath(QStringLiteral("fuzz/disc.bin"))))
            std::abort();
        return path;
    }();
    {
        QFile file(cue);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    QString problem;
    const auto disc = platform::loadDisc(cue, platform::MediumId{cue}, false, &problem);
    if (!disc)
        return 0;
    const platform::DiscToc& toc = disc->toc;
    const int count = disc->trackCount();
    if (count < 1 || count > 99 || toc.trackOffsets.size() != std::size_t(count) ||
        toc.dataTrack.size() != std::size_t(count))
        std::abort();
    const bool anyData =
        std::find(toc.dataTrack.begin(), toc.dataTrack.end(), true) != toc.dataTrack.end();
    if (!anyData && disc->rootListing.size() != count)
        std::abort();

    static platform::ManualClock clock;
    auto cd = platform::makeTestCdDevices(QString(), clock);
    cd.table->addVirtualDrive('E', cue);
    platform::Mci& mci = *cd.mci;
    fuzz::send(mci, "open E: type cdaudio alias c", 16);
    fuzz::send(mci, "status c number of tracks", 16);
    fuzz::send(mci, "status c length", 16);
    fuzz::send(mci, "set c time format tmsf", 0);
    for (int t = toc.firstTrack; t <= toc.lastTrack; ++t) {
        const std::string n = std::to_string(t);
        fuzz::send(mci, "status c length track " + n, 16);
        fuzz::send(mci, "status c position track " + n, 32);
        fuzz::send(mci, "status c type track " + n, 16);
    }
    fuzz::send(mci, "play c from " + std::to_string(toc.firstTrack), 0);
    clock.advanceMs(2000);
    fuzz::send(mci, "status c position", 32);
    fuzz::send(mci, "status c current track", 16);
    fuzz::send(mci, "seek c to end", 0);
    fuzz::send(mci, "status c mode", 16);
    fuzz::send(mci, "play c", 0);
    clock.advanceMs(60'000);
    fuzz::send(mci, "status c mode", 16);
    fuzz::send(mci, "close c", 0);
    return 0;
}
