#pragma once

#include "platform/drives.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornap::platform {

// Which medium is in a drive: changes whenever a disc is swapped.
struct MediumId {
    QString path; // image file, or device node
    std::int64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t dataSize = 0; // a cue sheet's data file, which may be copied in after it
    std::int64_t dataMtimeNs = 0;
    std::uint64_t generation = 0; // devices: counts insertions
    QString dataPath = {};        // the data file a cue sheet names
    bool operator==(const MediumId&) const = default;
};

// A disc as read once when it was inserted.
struct Disc {
    MediumId id;
    DiscToc toc;
    // The file names of the disc's root: TrackNN.cda per audio track, or the
    // ISO 9660 root of a disc with a data track.
    QStringList rootListing;
    // Per track: mastered with pre-emphasis (a control bit; FLAGS PRE in a cue sheet).
    std::vector<bool> preEmphasis;
    QString openPath; // what libcdio opens (a corrected cue sheet when needed)
    int driver = 0;   // libcdio driver_id_t
    bool device = false;
    std::shared_ptr<void> keepAlive; // a corrected cue sheet's directory

    int trackCount() const { return toc.lastTrack - toc.firstTrack + 1; }
    // Absolute frame where track n (firstTrack-based) starts.
    int trackStart(int n) const { return toc.trackOffsets[size_t(n - toc.firstTrack)]; }
    bool isData(int n) const { return toc.dataTrack[size_t(n - toc.firstTrack)]; }
    bool isPreEmphasized(int n) const {
        const size_t i = size_t(n - toc.firstTrack);
        return i < preEmphasis.size() && preEmphasis[i];
    }
};

// Reads raw audio sectors (2352 bytes, 588 stereo samples) of one disc.
class SectorReader {
public:
    virtual ~SectorReader() = default;
    // `lsn` counts from the end of the lead-in (frame 150 is lsn 0).
    virtual bool read(int lsn, int count, std::int16_t* out) = 0;
};

// One drive of the table: a real optical drive or a virtual one.
class Drive {
public:
    explicit Drive(std::string root) : m_root(std::move(root)) {}
    virtual ~Drive() = default;
    const std::string& root() const { return m_root; }
    char letter() const { return m_root[0]; }
    virtual bool isVirtual() const = 0;
    virtual QString source() const = 0;

    // The medium in the drive now (cheap: a stat or a drive-status ioctl);
    // nullopt when the drive is empty.
    virtual std::optional<MediumId> probe() = 0;
    // The disc now in the drive, read once per medium; null when the drive is
    // empty or the disc cannot be read.
    std::shared_ptr<const Disc> disc();
    // An independent reader for a playback thread; null when the disc cannot be opened.
    std::unique_ptr<SectorReader> openReader(const Disc& disc, bool paranoia) const;

protected:
    virtual std::shared_ptr<Disc> load(const MediumId& id) = 0;

private:
    std::string m_root;
    std::mutex m_mutex;
    std::shared_ptr<const Disc> m_cached;
    std::optional<MediumId> m_failedId; // a medium that could not be read, not retried
};

// The drives of the machine: real optical drives lettered from D:\ upward in
// device order, and the virtual drives of the drives file.
class DriveTable {
public:
    static constexpr const char* drivesFileName = "VornapDrives.dat";

    struct Options {
        QString appPath;        // where the drives file lives; empty: none read
        bool realDrives = true; // ask libcdio for optical drives
        // With no drive at all, this directory (when it exists) is the tray of
        // a virtual D:\, so a machine without a CD drive still has a disc.
        QString demoTray;
    };
    explicit DriveTable(const Options& options);
    ~DriveTable();

    // The drive a root such as "D:\" names (its first letter, any case).
    Drive* find(std::string_view root) const;
    std::vector<Drive*> drives() const;

    // A virtual drive at `letter`: an image file, or a directory acting as
    // the tray. Replaces a drive already at that letter.
    Drive* addVirtualDrive(char letter, const QString& path);

    // True when the demo tray stands in for a machine without any drive.
    bool usesDemoTray() const { return m_usesDemoTray; }

    // Adds the virtual drives of a drives file's text; relative paths are
    // taken from `appPath`.
    void readDrivesText(const QByteArray& text, const QString& appPath);

    // Lines of the drives file that could not be used, for the log.
    const QStringList& problems() const { return m_problems; }

private:
    void readDrivesFile(const QString& appPath);
    void addRealDrives();

    std::vector<std::unique_ptr<Drive>> m_drives; // letter order
    QStringList m_problems;
    bool m_usesDemoTray = false;
};

// GetDriveTypeA, the disc-root listing and the TOC on top of a drive table.
class DriveTableServices final : public DriveTypes, public DiscRootListing, public DiscTocSource {
public:
    explicit DriveTableServices(std::shared_ptr<DriveTable> table) : m_table(std::move(table)) {}
    std::uint32_t getDriveType(const std::string& root) override;
    std::optional<QStringList> listRoot(const std::string& root) override;
    std::optional<DiscToc> readToc(const std::string& root) override;

private:
    std::shared_ptr<DriveTable> m_table;
};

// Opens and reads a disc image or device with libcdio; exposed for tools and tests.
std::shared_ptr<Disc> loadDisc(const QString& path, const MediumId& id, bool device,
                               QString* problem = nullptr);

} // namespace vornap::platform
