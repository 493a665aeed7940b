#include "options/registry.h"

namespace vornap {

namespace {
std::string ansi(const String& s) { return s.toLocal8Bit().toStdString(); }
} // namespace

String GetRegString(Application& app, std::uint32_t root, const String& keyPath,
                    const String& valueName) {
    const auto value = app.platform.registry->queryValue(root, ansi(keyPath), ansi(valueName));
    if (!value || value->type != platform::REG_SZ)
        return {};
    const std::string& data = value->data;
    const auto nul = data.find('\0');
    const std::string text = nul == std::string::npos ? data : data.substr(0, nul);
    return QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
}

void SetRegString(Application& app, std::uint32_t root, const String& keyPath,
                  const String& valueName, const String& text) {
    platform::Registry::Value value;
    value.type = platform::REG_SZ;
    value.data = ansi(text);
    value.data.push_back('\0');
    app.platform.registry->setValue(root, ansi(keyPath), ansi(valueName), value);
}

void DeleteRegValue(Application& app, std::uint32_t root, const String& keyPath,
                    const String& valueName) {
    app.platform.registry->deleteValue(root, ansi(keyPath), ansi(valueName));
}

} // namespace vornap
