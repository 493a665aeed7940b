#include "app/vberror.h"
#include "options/fieldreader.h"

#include <gtest/gtest.h>

using namespace vornap;

namespace {
QStringList readAll(const char* text, int count) {
    FieldReader r{QByteArray(text)};
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << r.input();
    return out;
}
} // namespace

TEST(FieldReader, QuotedFieldsOnOneLineOrOnePerLineReadAlike) {
    const QStringList expected{"//A", "D:\\E:\\", "//B", ""};
    EXPECT_EQ(readAll("\"//A\",\"D:\\E:\\\",\"//B\",\"\"\r\n", 4), expected);
    EXPECT_EQ(readAll("\"//A\"\r\n\"D:\\E:\\\"\n\"//B\"\r\"\"\r\n", 4), expected);
}

TEST(FieldReader, UnquotedFieldsEndAtACommaOrLineEndAndLoseOuterBlanks) {
    EXPECT_EQ(readAll("  12 , abc def  \r\n 7", 3), (QStringList{"12", "abc def", "7"}));
}

TEST(FieldReader, ACommaInsideQuotesBelongsToTheValue) {
    EXPECT_EQ(readAll("\"a,b\",\"c\"", 2), (QStringList{"a,b", "c"}));
}

TEST(FieldReader, ReadingPastTheLastFieldFails) {
    FieldReader r{QByteArray("\"only\"\r\n")};
    EXPECT_EQ(r.input(), "only");
    EXPECT_TRUE(r.atEnd());
    try {
        r.input();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 62);
        EXPECT_EQ(e.description(), "Input past end of file");
    }
}

TEST(FieldReader, AMissingFileIsFileNotFound) {
    try {
        readFields("/nonexistent-dir-for-vornap/x.dat", 1);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 76);
    }
}
