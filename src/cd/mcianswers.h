#pragma once

#include "app/vbtypes.h"

#include <optional>

namespace vornap {

// What the device wrote into an answer field: its characters up to the NUL
// that ends the answer.
template <std::size_t N> QString answerText(const FixedString<N>& field) {
    const QString text = field.text();
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

// A length answer mm:ss:ff as the player shows it: 04:13:62 gives 4:13,
// 12:03:40 gives 12:03.
template <std::size_t N> QString lengthForDisplay(const FixedString<N>& field) {
    const QString shown = field.left(1) == QLatin1String("0") ? field.mid(2, 4) : field.left(5);
    const qsizetype end = shown.indexOf(QChar(0));
    return end < 0 ? shown : shown.left(end);
}

// The track count: the digits among the first two characters; none when
// there are none (a failed query leaves the field empty).
std::optional<Integer> trackCountIn(const QString& firstTwo);
// The same, where an answer without digits is a Type mismatch, as converting
// it would be.
Integer trackCountFromAnswer(const QString& firstTwo);

// A whole millisecond answer as a number; none for anything else.
std::optional<double> millisecondsIn(const QString& answer);

// Minutes, a colon and two-digit seconds (0:07, 3:45, 12:00).
QString minutesSeconds(long long minutes, long long seconds);

} // namespace vornap
