#include "freedb/xmcd.h"

#include <gtest/gtest.h>

using namespace vornap;

TEST(CddbText, InvalidUtf8BytesAreReadAsLatin1) {
    EXPECT_EQ(decodeCddbText("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(decodeCddbText("caf\xe9"), QString::fromUtf8("caf\xc3\xa9"));
    // Overlong forms, surrogates and cut-off sequences are not UTF-8.
    EXPECT_EQ(decodeCddbText("\xc0\x80"), QString::fromUtf8("\xc3\x80\xc2\x80"));
    EXPECT_EQ(decodeCddbText("\xed\xa0\x80").size(), 3);
    EXPECT_EQ(decodeCddbText("x\xe2\x82"), QString::fromUtf8("x\xc3\xa2\xc2\x82"));
    EXPECT_EQ(decodeCddbText("\xf0\x9f\x8e\xb5"), QString::fromUtf8("\xf0\x9f\x8e\xb5"));
}

TEST(Xmcd, EscapesDecodeAndOthersStayAsWritten) {
    EXPECT_EQ(unescapeXmcd("a\\nb\\tc\\\\d\\x\\"), "a\nb\tc\\d\\x\\");
    const QString odd = QStringLiteral("back\\slash\nnew\tline");
    EXPECT_EQ(unescapeXmcd(escapeXmcd(odd)), odd);
}

TEST(Xmcd, ContinuedKeywordsJoinAsBytesBeforeDecoding) {
    // Latin-1 and UTF-8 lines mixed, CRLF ends, a UTF-8 character and an
    // escape each split across two lines of one keyword.
    const auto e = parseXmcd("DTITLE=Sigur R\xc3\xb3s  /  \xc3\x81g\xc3\xa6tis byrjun\r\n"
                             "TTITLE0=Intro\\tPart\r\nTTITLE1=Bj\xf6rk\r\nTTITLE0= (continued)\r\n"
                             "TTITLE1= caf\xc3\r\nTTITLE1=\xa9\r\nDTITLE=\\\r\nDTITLE=n!\r\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->artist, QString::fromUtf8("Sigur R\xc3\xb3s"));
    EXPECT_EQ(e->title, QString::fromUtf8("\xc3\x81g\xc3\xa6tis byrjun\n!"));
    EXPECT_EQ(e->trackTitles, (QStringList{"Intro\tPart (continued)",
                                           QString::fromUtf8("Bj\xc3\xb6rk caf\xc3\xa9")}));
}

TEST(Xmcd, DiscTitleWithoutSeparatorIsBothArtistAndAlbum) {
    const auto e = parseXmcd("DTITLE=Various/Mixed\nTTITLE0=a\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->artist, "Various/Mixed");
    EXPECT_EQ(e->title, "Various/Mixed");
    const auto split = parseXmcd("DTITLE=A / B / C\nTTITLE0=a\n");
    EXPECT_EQ(split->artist, "A");
    EXPECT_EQ(split->title, "B / C");
}

TEST(Xmcd, MissingTitlesAreEmptyAndNonEntriesAreRejected) {
    const auto e = parseXmcd("DTITLE=A / B\r\nTTITLE0=one\r\nTTITLE2=three\r\n");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->trackTitles, (QStringList{"one", "", "three"}));
    EXPECT_FALSE(parseXmcd("just some text\n"));
    EXPECT_FALSE(parseXmcd("DTITLE=A / B\n")); // no track
}

TEST(Xmcd, WrittenEntriesReadBackWhole) {
    XmcdEntry e;
    e.artist = QString::fromUtf8("Sigur R\xc3\xb3s");
    e.title = QStringLiteral("Two\\Lines\nHere");
    e.year = QStringLiteral("1999");
    e.trackTitles = {QStringLiteral("a\tb"), QStringLiteral("c")};
    e.frameOffsets = {150, 30150};
    e.discLengthSeconds = 900;
    const auto back = parseXmcd(writeXmcd(e, QStringLiteral("0a0b0c02")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->artist, e.artist);
    EXPECT_EQ(back->title, e.title);
    EXPECT_EQ(back->year, e.year);
    EXPECT_EQ(back->trackTitles, e.trackTitles);
    EXPECT_EQ(back->frameOffsets, e.frameOffsets);
    EXPECT_EQ(back->trackSeconds(1), 400);
    EXPECT_EQ(back->trackSeconds(2), 498);
    EXPECT_EQ(back->trackSeconds(3), -1);

    const auto huge = parseXmcd("# Track frame offsets:\n#\t150\n# Disc length: 2000000000\n"
                                "DTITLE=a\nTTITLE0=b\n");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->trackSeconds(1), 1999999998);
}
