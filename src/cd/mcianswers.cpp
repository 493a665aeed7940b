#include "cd/mcianswers.h"

#include "app/vberror.h"

namespace vornap {

Integer trackCountFromAnswer(const QString& firstTwo) {
    QString digits;
    for (const QChar c : firstTwo) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        digits += c;
    }
    if (digits.isEmpty())
        throw errors::typeMismatch();
    return CInt(digits);
}

double millisecondsFromAnswer(const QString& answer) {
    bool ok = false;
    const double value = answer.trimmed().toDouble(&ok);
    if (!ok)
        throw errors::typeMismatch();
    return value;
}

QString minutesSeconds(long long minutes, long long seconds) {
    return QString::number(minutes) + (seconds < 10 ? QStringLiteral(":0") : QStringLiteral(":")) +
           QString::number(seconds);
}

} // namespace vornap
