#include "app/vbtypes.h"

#include "app/vberror.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vornap {

namespace {
bool isBlank(QChar c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
} // namespace

double Val(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    // The watcher reads four numbers a tick: they are parsed here rather
    // than through a QString of their own.
    std::string number;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    bool seenPoint = false;
    bool seenDigit = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            number += char(c.unicode());
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            number += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        value = QString::fromLatin1(number).toDouble();
    return negative ? -value : value;
}

Integer CInt(double value) {
    if (!std::isfinite(value))
        throw errors::overflow();
    const double rounded = std::nearbyint(value); // default rounding mode: half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        throw errors::overflow();
    return static_cast<Integer>(rounded);
}

Integer CInt(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        throw errors::typeMismatch();
    return CInt(value);
}

} // namespace vornap
