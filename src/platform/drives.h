#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

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

} // namespace vornap::platform
