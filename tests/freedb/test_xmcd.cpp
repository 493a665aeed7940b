#include "freedb/replies.h"
#include "freedb/xmcd.h"

#include <gtest/gtest.h>

using namespace vornap;

TEST(CddbText, InvalidUtf8BytesAreReadAsLatin1) {
    // Overlong forms, surrogates and cut-off sequences are not UTF-8.
    const std::vector<std::pair<QByteArray, bool>> texts{
        {"caf\xc3\xa9", true}, {"\xf0\x9f\x8e\xb5", true}, {"caf\xe9", false},
        {"\xc0\x80", false},   {"\xed\xa0\x80", false},    {"x\xe2\x82", false}};
    for (const auto& [bytes, utf8] : texts)
        EXPECT_EQ(decodeCddbText(bytes),
                  utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes))
            << bytes.toHex().toStdString();
    EXPECT_EQ(unescapeXmcd("a\\nb\\tc\\\\d\\x\\"), "a\nb\tc\\d\\x\\");
}

// Entries as servers send them and what is read from them; no tracks: not an entry.
TEST(Xmcd, EntriesReadAsTheirServersMeantThem) {
    const auto utf8 = [](const char* text) { return QString::fromUtf8(text); };
    struct Row {
        QByteArray text;
        QString artist, title;
        QStringList tracks;
    };
    const std::vector<Row> rows{
        // Latin-1 and UTF-8 lines mixed, CRLF ends, a UTF-8 character and an
        // escape each split across two lines of one keyword.
        {"DTITLE=Sigur R\xc3\xb3s  /  \xc3\x81g\xc3\xa6tis byrjun\r\nTTITLE0=Intro\\tPart\r\n"
         "TTITLE1=Bj\xf6rk\r\nTTITLE0= (continued)\r\nTTITLE1= caf\xc3\r\nTTITLE1=\xa9\r\n"
         "DTITLE=\\\r\nDTITLE=n!\r\n",
         utf8("Sigur R\xc3\xb3s"),
         utf8("\xc3\x81g\xc3\xa6tis byrjun\n!"),
         {"Intro\tPart (continued)", utf8("Bj\xc3\xb6rk caf\xc3\xa9")}},
        {"DTITLE=Various/Mixed\nTTITLE0=a\n", "Various/Mixed", "Various/Mixed", {"a"}},
        {"DTITLE=A / B / C\nTTITLE0=a\n", "A", "B / C", {"a"}},
        {"DTITLE=A / B\r\nTTITLE0=one\r\nTTITLE2=three\r\n", "A", "B", {"one", "", "three"}},
        {"just some text\n", "", "", {}},
        {"DTITLE=A / B\n", "", "", {}},
    };
    for (const Row& r : rows) {
        const auto e = parseXmcd(r.text);
        EXPECT_EQ((e ? QStringList{e->artist, e->title} + e->trackTitles : QStringList{}),
                  (r.tracks.isEmpty() ? QStringList{} : QStringList{r.artist, r.title} + r.tracks))
            << r.text.toStdString();
    }
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
    EXPECT_EQ((QStringList{back->artist, back->title, back->year} + back->trackTitles),
              (QStringList{e.artist, e.title, e.year} + e.trackTitles));
    EXPECT_EQ(back->frameOffsets, e.frameOffsets);
    EXPECT_EQ((std::vector{back->trackSeconds(1), back->trackSeconds(2), back->trackSeconds(3)}),
              (std::vector{400, 498, -1}));
    const auto huge = parseXmcd("# Track frame offsets:\n#\t150\n# Disc length: 2000000000\n"
                                "DTITLE=a\nTTITLE0=b\n");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->trackSeconds(1), 1999999998);
}

// An entry or a reply naming thousands of tracks used to fill the track list
// and the tray menu with all of them; a CD never holds more than 99.
TEST(LookupReplies, NoEntryNamesMoreTracksThanACdHolds) {
    QByteArray text = "# xmcd\n# Track frame offsets:\n";
    for (int i = 0; i < 5000; ++i)
        text += "#\t" + QByteArray::number(150 + i * 75) + "\n";
    text += "#\n# Disc length: 5000 seconds\nDTITLE=A / B\n";
    for (int i = 0; i < 100; ++i)
        text += "TTITLE" + QByteArray::number(i) + "=t" + QByteArray::number(i) + "\n";
    const auto entry = parseXmcd(text);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->trackCount(), 99);
    EXPECT_EQ(entry->trackTitles.back(), "t98");
    EXPECT_EQ(entry->trackSeconds(99), 5000 - 98 - 2);

    QByteArray json = R"({"releases":[{"title":"T","media":[{"track-count":3,"tracks":[)";
    for (int i = 0; i < 150; ++i)
        json += (i ? "," : "") + QByteArray(R"({"title":"x"})");
    platform::DiscToc toc{.firstTrack = 1,
                          .lastTrack = 3,
                          .trackOffsets = {150, 300, 450},
                          .dataTrack = {false, false, false},
                          .leadOut = 600,
                          .text = {}};
    bool readable = false;
    const auto entries = musicBrainzEntries(json + "]}]}]}", "id", toc, &readable);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries.front().trackTitles.size(), 99);
}

TEST(LookupReplies, QueryMatchesSkipLinesThatNameNoDisc) {
    const auto reply = splitCddbReply("\r\n211 close matches\r\nrock 11005C03 A / B\r\n"
                                      "not a match\r\njazz 123 short id\r\n.\r\nafter the end\r\n");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, 211);
    EXPECT_TRUE(reply->terminated);
    const auto matches = cddbQueryMatches(*reply);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].category + ' ' + matches[0].discId, "rock 11005c03");
    EXPECT_FALSE(splitCddbReply("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(cddbQueryMatches(*splitCddbReply("202 No match\r\n")).empty());
}
