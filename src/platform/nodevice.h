#pragma once

#include "platform/drives.h"
#include "platform/mci.h"

#include <set>
#include <string>

namespace vornap::platform {

// The CD device of a machine without CD drives: every open fails with an
// invalid element, every other command on an unopened alias with 263.
class NoDeviceMci final : public Mci {
public:
    std::uint32_t sendString(std::string_view command, char* answer,
                             std::uint32_t answerLength) override;
};

class NoDrives final : public DriveTypes, public DiscRootListing, public DiscTocSource {
public:
    std::uint32_t getDriveType(const std::string&) override { return noRootDir; }
    std::optional<QStringList> listRoot(const std::string&) override { return QStringList(); }
    std::optional<DiscToc> readToc(const std::string&) override { return std::nullopt; }
};

} // namespace vornap::platform
