#pragma once

#include "platform/registry.h"

#include <map>
#include <tuple>

namespace vornap::platform {

// A registry held in memory: the store for tests, and for a session whose
// store file cannot be used.
class MemoryRegistry final : public Registry {
public:
    std::optional<Value> queryValue(std::uint32_t root, const std::string& keyPath,
                                    const std::string& valueName) override {
        const auto it = m_values.find({root, lower(keyPath), lower(valueName)});
        if (it == m_values.end())
            return std::nullopt;
        return it->second;
    }
    bool setValue(std::uint32_t root, const std::string& keyPath, const std::string& valueName,
                  const Value& value) override {
        m_values[{root, lower(keyPath), lower(valueName)}] = value;
        return true;
    }
    bool deleteValue(std::uint32_t root, const std::string& keyPath,
                     const std::string& valueName) override {
        return m_values.erase({root, lower(keyPath), lower(valueName)}) > 0;
    }

private:
    // Key paths and value names ignore case, as on the system they come from.
    static std::string lower(std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return s;
    }
    std::map<std::tuple<std::uint32_t, std::string, std::string>, Value> m_values;
};

} // namespace vornap::platform
