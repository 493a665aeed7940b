#include "freedb/replies.h"
#include "freedb/xmcd.h"

#include <gtest/gtest.h>

using namespace vornap;

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
    json += "]}]}]}";
    platform::DiscToc toc;
    toc.lastTrack = 3;
    toc.trackOffsets = {150, 300, 450};
    toc.dataTrack = {false, false, false};
    toc.leadOut = 600;
    bool readable = false;
    const auto entries = musicBrainzEntries(json, QStringLiteral("id"), toc, &readable);
    ASSERT_EQ(entries.size(), 1u);
    const XmcdEntry* mb = &entries.front();
    EXPECT_EQ(mb->trackTitles.size(), 99);
    const auto cached = parseXmcd(writeXmcd(*mb, QStringLiteral("0a0b0c02")));
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->trackTitles, mb->trackTitles);
}

TEST(LookupReplies, QueryMatchesSkipLinesThatNameNoDisc) {
    const auto reply = splitCddbReply("\r\n211 close matches\r\nrock 11005C03 A / B\r\n"
                                      "not a match\r\njazz 123 short id\r\n.\r\nafter the end\r\n");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, 211);
    EXPECT_TRUE(reply->terminated);
    const auto matches = cddbQueryMatches(*reply);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(matches[0].category, "rock");
    EXPECT_EQ(matches[0].discId, "11005c03");
    EXPECT_FALSE(splitCddbReply("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(cddbQueryMatches(*splitCddbReply("202 No match\r\n")).empty());
}
