#pragma once

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace vornap {

using Integer = std::int16_t; // 16-bit signed
using Long = std::int32_t;    // 32-bit signed
using Boolean = bool;         // True/False; the numeric -1/0 never matters here
using String = QString;

// A fixed-length text of N characters. Assignment pads with blanks or cuts;
// an MCI answer written into the buffer overwrites only its start (the answer
// and a terminating NUL), so the rest keeps what was there before.
template <std::size_t N>
class FixedString {
public:
    FixedString() { m_chars.fill(' '); }

    FixedString& operator=(std::string_view text) {
        m_chars.fill(' ');
        text.copy(m_chars.data(), std::min(text.size(), N));
        return *this;
    }
    FixedString& operator=(const QString& text) {
        const QByteArray bytes = text.toLatin1();
        return *this = std::string_view(bytes.constData(), std::size_t(bytes.size()));
    }

    char* data() { return m_chars.data(); }
    const char* data() const { return m_chars.data(); }
    static constexpr std::uint32_t length() { return N; }

    // The whole field, NULs included, as the language sees it.
    QString text() const { return QString::fromLatin1(m_chars.data(), qsizetype(N)); }
    QString left(qsizetype n) const { return text().left(n); }
    QString mid(qsizetype start1, qsizetype n) const { return text().mid(start1 - 1, n); }

private:
    std::array<char, N> m_chars{};
};

// The leading-number rule: blanks skipped, then an optional sign, digits and
// at most one decimal point; reading stops at the first other character; no
// digits give 0.
double Val(const QString& text);

// Conversion to a 16-bit Integer with rounding half to even; a value outside
// the range is an Overflow failure, a text that is not a number a Type mismatch.
Integer CInt(double value);
Integer CInt(const QString& text);

// Whole-number text without a leading blank, as Str/CStr give for positives.
inline QString CStr(long long n) { return QString::number(n); }

} // namespace vornap
