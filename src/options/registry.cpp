#include "options/registry.h"

namespace vornap {

namespace {
// Names and texts cross into the registry in the system's code page.
std::string ansi(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}
} // namespace

QString GetRegString(platform::Registry& registry, std::uint32_t root, const QString& keyPath,
                     const QString& valueName) {
    const auto value = registry.queryValue(root, ansi(keyPath), ansi(valueName));
    if (!value || value->type != platform::REG_SZ)
        return QString();
    const std::string& data = value->data;
    const std::size_t nul = data.find('\0');
    const std::size_t length = nul == std::string::npos ? data.size() : nul;
    return QString::fromLocal8Bit(data.data(), qsizetype(length));
}

void SetRegString(platform::Registry& registry, std::uint32_t root, const QString& keyPath,
                  const QString& valueName, const QString& text) {
    platform::Registry::Value value;
    value.type = platform::REG_SZ;
    value.data = ansi(text);
    value.data.push_back('\0');
    registry.setValue(root, ansi(keyPath), ansi(valueName), value);
}

void DeleteRegValue(platform::Registry& registry, std::uint32_t root, const QString& keyPath,
                    const QString& valueName) {
    registry.deleteValue(root, ansi(keyPath), ansi(valueName));
}

} // namespace vornap
