// The registry store file as found on disk, then a value written to it and
// read back: a damaged file must never stop the player keeping its settings.
#include "fuzzsupport.h"
#include "platform/registrystore.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap::platform;
    static QTemporaryDir dir(vornap::fuzz::scratchTemplate());
    const QString path = dir.filePath(QStringLiteral("registry.json"));
    QFile::remove(path + QStringLiteral(".damaged"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    FileRegistry registry(path);
    const std::string key = "Software\\Dravelle Inc\\Vornap";
    (void)registry.queryValue(HKEY_LOCAL_MACHINE, key, "ProxyAddress");
    (void)registry.queryValue(HKEY_CURRENT_USER, "software\\classes", "");

    const Registry::Value value{REG_SZ, std::string("127.0.0.1\0x", 11)};
    if (!registry.setValue(HKEY_LOCAL_MACHINE, key, "ProxyPort", value))
        std::abort();
    const auto back = registry.queryValue(HKEY_LOCAL_MACHINE, key, "proxyport");
    if (!back || back->type != value.type || back->data != value.data)
        std::abort();
    // A store that could not be read is kept beside the new one, unchanged.
    QFile damaged(path + QStringLiteral(".damaged"));
    if (damaged.exists() && (!damaged.open(QIODevice::ReadOnly) ||
                             damaged.readAll() != vornap::fuzz::bytes(data, size)))
        std::abort();
    (void)registry.deleteValue(HKEY_LOCAL_MACHINE, key, "PROXYPORT");
    if (registry.queryValue(HKEY_LOCAL_MACHINE, key, "ProxyPort"))
        std::abort();
    return 0;
}
