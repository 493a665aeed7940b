#include "app/vberror.h"
#include "app/vbtypes.h"

#include <gtest/gtest.h>

using namespace vornap;

TEST(Val, ReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(Val("253334"), 253334);
    EXPECT_DOUBLE_EQ(Val("  12abc"), 12);
    EXPECT_DOUBLE_EQ(Val("1.23"), 1.23);
    EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(Val("-4"), -4);
    EXPECT_DOUBLE_EQ(Val(".5x"), 0.5);
}

TEST(Val, TextWithoutDigitsIsZero) {
    EXPECT_DOUBLE_EQ(Val(""), 0);
    EXPECT_DOUBLE_EQ(Val("true"), 0);
    EXPECT_DOUBLE_EQ(Val("."), 0);
    EXPECT_DOUBLE_EQ(Val(QString(QChar(0)) + "123"), 0);
}

TEST(Val, StopsAtTheNulOfAnAnswerBuffer) {
    QString buffer = QStringLiteral("2001");
    buffer += QChar(0);
    buffer += QStringLiteral("99 old answer");
    EXPECT_DOUBLE_EQ(Val(buffer), 2001);
}

TEST(CInt, RoundsHalfToEven) {
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(102.4), 102);
    EXPECT_EQ(CInt(QStringLiteral(" 105 ")), 105);
}

TEST(CInt, OutOfRangeIsOverflowAndTextIsTypeMismatch) {
    EXPECT_EQ(CInt(32767.0), 32767);
    EXPECT_EQ(CInt(-32768.0), -32768);
    try {
        CInt(32767.5);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
        EXPECT_EQ(e.description(), "Overflow");
    }
    try {
        CInt(QStringLiteral("abc"));
        FAIL() << "no type mismatch";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 13);
    }
}

TEST(FixedString, PadsCutsAndKeepsWhatAnAnswerDoesNotOverwrite) {
    FixedString<30> s;
    EXPECT_EQ(s.text(), QString(30, ' '));
    s = std::string_view("true");
    EXPECT_EQ(s.text().size(), 30);
    EXPECT_EQ(s.left(4), "true");
    s = QString(40, 'x');
    EXPECT_EQ(s.text(), QString(30, 'x'));

    // An answer written by the device: text and a NUL over the start only.
    s = std::string_view("04:13:25 old");
    std::memcpy(s.data(), "12\0", 3);
    EXPECT_EQ(s.left(2), "12");
    EXPECT_EQ(s.mid(3, 1), QString(QChar(0)));
    EXPECT_EQ(s.mid(4, 5), "13:25");
}
