// The update file's first field and the version comparison made with it.
#include "app/vberror.h"
#include "app/vbtypes.h"
#include "fuzzsupport.h"
#include "update/frmupdate.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    FieldReader file(fuzz::bytes(data, size));
    std::optional<QString> version;
    try {
        version = UpdateFileVersion(file);
    } catch (const RuntimeError&) {
        std::abort(); // a file with no field is "no version", never a failure
    }
    if (!version)
        return 0;
    const double server = Val(*version);
    if (std::isnan(server))
        std::abort();
    volatile bool newer = Val(QStringLiteral("1.00")) < server;
    (void)newer;
    return 0;
}
