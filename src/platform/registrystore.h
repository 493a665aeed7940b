#pragma once

#include "platform/registry.h"

#include <QString>

namespace vornap::platform {

// The registry as a per-user file. Every operation reads the file afresh and
// every change replaces it atomically, so a crash never leaves half a store.
// Key paths and value names ignore letter case; values keep their type and
// exact bytes. A file that cannot be understood reads as an empty store; the
// first write after that keeps it beside the new one with ".damaged" added.
class FileRegistry final : public Registry {
public:
    explicit FileRegistry(QString path);

    // $VORNAP_REGISTRY when set, else "vornap/registry.json" in the user's
    // configuration directory.
    static QString defaultPath();
    const QString& path() const { return m_path; }

    std::optional<Value> queryValue(std::uint32_t root, const std::string& keyPath,
                                    const std::string& valueName) override;
    bool setValue(std::uint32_t root, const std::string& keyPath, const std::string& valueName,
                  const Value& value) override;
    bool deleteValue(std::uint32_t root, const std::string& keyPath,
                     const std::string& valueName) override;

private:
    QString m_path;
};

} // namespace vornap::platform
