#include "freedb/proxysetting.h"

#include "options/registry.h"

namespace vornap {

namespace {
const QString kAddress = QStringLiteral("ProxyAddress");
const QString kPort = QStringLiteral("ProxyPort");
const QString kInUse = QStringLiteral("UseProxy");
} // namespace

ProxySetting StoredProxy(platform::Registry& registry) {
    const auto read = [&registry](const QString& name) {
        return GetRegString(registry, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name);
    };
    ProxySetting proxy;
    proxy.address = read(kAddress);
    proxy.port = read(kPort);
    const QString inUse = read(kInUse);
    proxy.inUse = inUse.isEmpty() ? !proxy.address.trimmed().isEmpty() : inUse == u'1';
    return proxy;
}

void StoreProxy(platform::Registry& registry, const ProxySetting& proxy) {
    const auto write = [&registry](const QString& name, const QString& text) {
        SetRegString(registry, platform::HKEY_LOCAL_MACHINE, kProgramRegistryKey, name, text);
    };
    write(kAddress, proxy.address);
    write(kPort, proxy.port);
    write(kInUse, proxy.inUse ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace vornap
