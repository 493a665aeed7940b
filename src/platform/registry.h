#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vornap::platform {

inline constexpr std::uint32_t HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr std::uint32_t HKEY_CURRENT_USER = 0x80000001u;
inline constexpr std::uint32_t HKEY_LOCAL_MACHINE = 0x80000002u;

inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

// The registry's string-valued subset: typed values under key paths
// ("AudioCD\shell\play\command"), an empty value name for the default value.
class Registry {
public:
    struct Value {
        std::uint32_t type = REG_SZ;
        std::string data; // raw bytes as stored, NULs included
    };
    virtual ~Registry() = default;
    virtual std::optional<Value> queryValue(std::uint32_t root, const std::string& keyPath,
                                            const std::string& valueName) = 0;
    // Creates the key path if needed. False when the store refused the write.
    virtual bool setValue(std::uint32_t root, const std::string& keyPath,
                          const std::string& valueName, const Value& value) = 0;
    // Deleting a missing value or key is not a failure worth reporting.
    virtual bool deleteValue(std::uint32_t root, const std::string& keyPath,
                             const std::string& valueName) = 0;
};

} // namespace vornap::platform
