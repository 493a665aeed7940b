#include "cd/mcianswers.h"

#include "app/vberror.h"

namespace vornap {

std::optional<Integer> trackCountIn(const QString& firstTwo) {
    QString digits;
    for (const QChar c : firstTwo) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        digits += c;
    }
    if (digits.isEmpty())
        return std::nullopt;
    return CInt(digits);
}

Integer trackCountFromAnswer(const QString& firstTwo) {
    if (const auto count = trackCountIn(firstTwo))
        return *count;
    throw errors::typeMismatch();
}

std::optional<double> millisecondsIn(const QString& answer) {
    bool ok = false;
    const double value = answer.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString minutesSeconds(long long minutes, long long seconds) {
    return QString::number(minutes) + (seconds < 10 ? QStringLiteral(":0") : QStringLiteral(":")) +
           QString::number(seconds);
}

} // namespace vornap
