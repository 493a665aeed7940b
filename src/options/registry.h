#pragma once

#include "app/application.h"

#include <cstdint>

namespace vornap {

// String values of the registry. None of them reports a failure: a read that
// fails gives the empty text, a failed write or delete goes unnoticed.

// The REG_SZ value's text up to its first NUL; empty when the key or value is
// missing or the value is of another type.
QString GetRegString(platform::Registry& registry, std::uint32_t root, const QString& keyPath,
                     const QString& valueName);
// Creates the key path as needed and stores the text with its terminating NUL.
void SetRegString(platform::Registry& registry, std::uint32_t root, const QString& keyPath,
                  const QString& valueName, const QString& text);
void DeleteRegValue(platform::Registry& registry, std::uint32_t root, const QString& keyPath,
                    const QString& valueName);

inline QString GetRegString(Application& app, std::uint32_t root, const QString& keyPath,
                            const QString& valueName) {
    return GetRegString(*app.platform.registry, root, keyPath, valueName);
}
inline void SetRegString(Application& app, std::uint32_t root, const QString& keyPath,
                         const QString& valueName, const QString& text) {
    SetRegString(*app.platform.registry, root, keyPath, valueName, text);
}
inline void DeleteRegValue(Application& app, std::uint32_t root, const QString& keyPath,
                           const QString& valueName) {
    DeleteRegValue(*app.platform.registry, root, keyPath, valueName);
}

} // namespace vornap
