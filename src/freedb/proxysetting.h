#pragma once

#include "platform/registry.h"

#include <QString>

namespace vornap {

// Where the proxy dialog keeps its values (under HKEY_LOCAL_MACHINE).
inline const QString kProgramRegistryKey = QStringLiteral("Software\\Dravelle Inc\\Vornap");

// The proxy the lookup goes through: "ProxyAddress" and "ProxyPort" as typed,
// and "UseProxy" ("1" or "0"), so that unticking the box keeps the address for
// later while the lookup leaves it alone. A store written before "UseProxy"
// existed has no such value: there, an address means the proxy is in use, as
// it was then.
struct ProxySetting {
    bool inUse = false;
    QString address;
    QString port;
};

ProxySetting StoredProxy(platform::Registry& registry);
void StoreProxy(platform::Registry& registry, const ProxySetting& proxy);

} // namespace vornap
