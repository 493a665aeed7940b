#include "app/vbtypes.h"

#include <gtest/gtest.h>

using namespace vornap;

// Device answers arrive in fixed buffers: a number up to the NUL, and what an
// answer does not overwrite stays behind it.
TEST(Val, ReadsTheLeadingNumberUpToTheNulOfAnAnswerBuffer) {
    const QString nul(QChar(0));
    const std::pair<QString, double> cases[] = {
        {"253334", 253334}, {"  12abc", 12}, {"1.2.3", 1.2},  {"-4", -4}, {".5x", 0.5}, {"", 0},
        {"true", 0},        {".", 0},        {nul + "123", 0}};
    for (const auto& [text, number] : cases)
        EXPECT_DOUBLE_EQ(Val(text), number) << text.toStdString();
    EXPECT_EQ(Val("2001" + nul + "99 old answer"), 2001);

    FixedString<30> s;
    s = std::string_view("04:13:25 old");
    std::memcpy(s.data(), "12\0", 3);
    EXPECT_EQ(s.left(2), "12");
    EXPECT_EQ(s.mid(3, 1), QString(QChar(0)));
    EXPECT_EQ(s.mid(4, 5), "13:25");
    s = QString(40, 'x');
    EXPECT_EQ(s.text(), QString(30, 'x'));
}
