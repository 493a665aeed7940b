#include "options/fieldreader.h"
#include "support/files.h"

#include <gtest/gtest.h>

using namespace vornap;
using vornap::test::errorOf;

namespace {
QStringList readAll(const char* text, int count) {
    FieldReader r{QByteArray(text)};
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << r.input();
    return out;
}
} // namespace

TEST(FieldReader, ReadsQuotedAndUnquotedFieldsOnOneLineOrOnePerLine) {
    const QStringList expected{"//A", "D:\\E:\\", "//B", ""};
    EXPECT_EQ(readAll("\"//A\",\"D:\\E:\\\",\"//B\",\"\"\r\n", 4), expected);
    EXPECT_EQ(readAll("\"//A\"\r\n\"D:\\E:\\\"\n\"//B\"\r\"\"\r\n", 4), expected);
    // Unquoted fields end at a comma or line end and lose their outer blanks.
    EXPECT_EQ(readAll("  12 , abc def  \r\n 7", 3), (QStringList{"12", "abc def", "7"}));
    EXPECT_EQ(readAll("\"a,b\",\"c\"", 2), (QStringList{"a,b", "c"}));
}

TEST(FieldReader, ReadingPastTheLastFieldOrAMissingFileFails) {
    FieldReader r{QByteArray("\"only\"\r\n")};
    EXPECT_EQ(r.input(), "only");
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(errorOf([&] { r.input(); }), 62);
    EXPECT_EQ(errorOf([] { readFields("/nonexistent-dir-for-vornap/x.dat", 1); }), 76);
}
