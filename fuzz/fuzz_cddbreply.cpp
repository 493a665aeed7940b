// A CDDB server's reply body, taken both as the answer to "cddb query" and
// as the answer to "cddb read".
#include "entrychecks.h"
#include "freedb/replies.h"
#include "fuzzsupport.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornap;
    const auto reply = splitCddbReply(fuzz::bytes(data, size));
    if (!reply)
        return 0;
    if (reply->code < 100 || reply->code > 599)
        std::abort();
    static const QRegularExpression discId(QStringLiteral("^[0-9a-f]{8}$"));
    for (const CddbMatch& m : cddbQueryMatches(*reply))
        if (m.category.isEmpty() || !discId.match(m.discId).hasMatch())
            std::abort();
    const auto entry = parseXmcd(reply->lines.join('\n') + '\n');
    if (entry)
        fuzz::checkEntry(*entry);
    return 0;
}
