#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornap::platform {

// GetDriveTypeA: the kind of the drive at a root such as "D:\".
class DriveTypes {
public:
    static constexpr std::uint32_t cdrom = 5;
    static constexpr std::uint32_t noRootDir = 1;
    virtual ~DriveTypes() = default;
    virtual std::uint32_t getDriveType(const std::string& root) = 0;
};

// The file names in the root of the disc in a drive, in listing order.
// Empty when there is no disc; nullopt when the root could not be read.
class DiscRootListing {
public:
    virtual ~DiscRootListing() = default;
    virtual std::optional<QStringList> listRoot(const std::string& root) = 0;
};

// The disc's own CD-TEXT, from the drive or a cue sheet's TITLE and PERFORMER
// lines; empty texts where the disc names nothing.
struct DiscText {
    QString performer;       // of the whole disc
    QString title;           // the album
    QStringList trackTitles; // per track, first track first

    bool isEmpty() const {
        if (!performer.isEmpty() || !title.isEmpty())
            return false;
        for (const QString& t : trackTitles)
            if (!t.isEmpty())
                return false;
        return true;
    }
};

// The table of contents of the disc in a drive, as the lookup needs it.
struct DiscToc {
    int firstTrack = 1;
    int lastTrack = 0;
    // Start of each track from firstTrack to lastTrack, in frames including
    // the 150-frame lead-in offset (track 1 normally starts at 150).
    std::vector<int> trackOffsets;
    std::vector<bool> dataTrack; // per track, same order
    int leadOut = 0;             // lead-out in frames including the offset
    DiscText text;
};

class DiscTocSource {
public:
    virtual ~DiscTocSource() = default;
    // nullopt when the drive holds no readable disc.
    virtual std::optional<DiscToc> readToc(const std::string& root) = 0;
};

} // namespace vornap::platform
