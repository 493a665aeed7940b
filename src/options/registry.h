#pragma once

#include "app/application.h"

#include <cstdint>

namespace vornap {

// String values of the registry. A read that fails for any reason is the
// empty text; writes and deletes never report anything.
String GetRegString(Application& app, std::uint32_t root, const String& keyPath,
                    const String& valueName);
void SetRegString(Application& app, std::uint32_t root, const String& keyPath,
                  const String& valueName, const String& text);
void DeleteRegValue(Application& app, std::uint32_t root, const String& keyPath,
                    const String& valueName);

} // namespace vornap
