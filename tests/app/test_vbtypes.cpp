#include "app/vbtypes.h"
#include "support/vberrors.h"

#include <gtest/gtest.h>

using namespace vornap;
using vornap::test::errorOf;

TEST(Val, ReadsTheLeadingNumberUpToTheNulOfAnAnswerBuffer) {
    const std::pair<QString, double> cases[] = {
        {"253334", 253334},
        {"  12abc", 12},
        {"1.2.3", 1.2},
        {"-4", -4},
        {".5x", 0.5},
        {"", 0},
        {"true", 0},
        {".", 0},
        {QString(QChar(0)) + "123", 0},
        {QStringLiteral("2001") + QChar(0) + "99 old answer", 2001}};
    for (const auto& [text, number] : cases)
        EXPECT_DOUBLE_EQ(Val(text), number) << text.toStdString();
}

TEST(CInt, RoundsHalfToEvenAndFailsOutsideTheRangeOrOnText) {
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(3.5), 4);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(QStringLiteral(" 105 ")), 105);
    EXPECT_EQ(CInt(32767.0), 32767);
    EXPECT_EQ(CInt(-32768.0), -32768);
    EXPECT_EQ(errorOf([] { CInt(32767.5); }), 6);
    EXPECT_EQ(errorOf([] { CInt(QStringLiteral("abc")); }), 13);
}

TEST(FixedString, PadsCutsAndKeepsWhatAnAnswerDoesNotOverwrite) {
    FixedString<30> s;
    EXPECT_EQ(s.text(), QString(30, ' '));
    s = std::string_view("true");
    EXPECT_EQ(s.text(), "true" + QString(26, ' '));
    s = QString(40, 'x');
    EXPECT_EQ(s.text(), QString(30, 'x'));

    // An answer written by the device: text and a NUL over the start only.
    s = std::string_view("04:13:25 old");
    std::memcpy(s.data(), "12\0", 3);
    EXPECT_EQ(s.left(2), "12");
    EXPECT_EQ(s.mid(3, 1), QString(QChar(0)));
    EXPECT_EQ(s.mid(4, 5), "13:25");
}
