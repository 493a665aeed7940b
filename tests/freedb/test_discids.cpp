#include "freedb/discids.h"
#include "lookupsupport.h"
#include "platform/memoryregistry.h"

#include <QCryptographicHash>
#include <gtest/gtest.h>

using namespace vornap;
using vornap::test::tocFromLsn;

namespace {

// The FreeDB checksum written out from its definition.
QString freedbIdByHand(const platform::DiscToc& toc) {
    auto digitSum = [](int n) {
        int s = 0;
        for (; n > 0; n /= 10)
            s += n % 10;
        return s;
    };
    int n = 0;
    for (int offset : toc.trackOffsets)
        n += digitSum(offset / 75);
    const int t = toc.leadOut / 75 - toc.trackOffsets.front() / 75;
    const unsigned id =
        (unsigned(n % 0xff) << 24) | (unsigned(t) << 8) | unsigned(toc.trackOffsets.size());
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0'));
}

// MusicBrainz's identifier: SHA-1 over hex text of the TOC, in its base64 variant.
QString musicBrainzIdByHand(int first, int last, int leadOut, const std::vector<int>& offsets) {
    QByteArray text = QByteArray::number(first, 16).toUpper().rightJustified(2, '0') +
                      QByteArray::number(last, 16).toUpper().rightJustified(2, '0');
    auto hex8 = [](int v) { return QByteArray::number(v, 16).toUpper().rightJustified(8, '0'); };
    text += hex8(leadOut);
    for (int i = 0; i < 99; ++i)
        text += hex8(i < int(offsets.size()) ? offsets[std::size_t(i)] : 0);
    QByteArray b64 = QCryptographicHash::hash(text, QCryptographicHash::Sha1).toBase64();
    b64.replace('+', '.').replace('/', '_').replace('=', '-');
    return QString::fromLatin1(b64);
}

} // namespace

TEST(DiscIds, AgreeWithTheMeasuredDiscAndAnIndependentCalculation) {
    const auto known = computeDiscIds(test::knownToc());
    ASSERT_TRUE(known);
    EXPECT_EQ(known->freedb, "11005c03");
    EXPECT_EQ(known->musicBrainz, "SJdpcXRHi_Slapm_id4X7rNm8FA-");
    const std::vector<platform::DiscToc> discs = {
        tocFromLsn({0}, 33000),
        tocFromLsn({32, 17000, 30000, 52000, 80000, 110000}, 150000),
        tocFromLsn({0, 20000, 40000, 60000, 80000, 100000, 120000, 140000, 160000, 180000, 200000,
                    220000, 240000, 260000, 280000},
                   330000),
        // A data track first (mixed mode): both identifiers count it.
        tocFromLsn({0, 25000, 41000}, 90000, {true, false, false}),
    };
    for (const auto& toc : discs) {
        const auto ids = computeDiscIds(toc);
        ASSERT_TRUE(ids);
        EXPECT_EQ(ids->freedb, freedbIdByHand(toc));
        EXPECT_EQ(ids->musicBrainz,
                  musicBrainzIdByHand(1, toc.lastTrack, toc.leadOut, toc.trackOffsets));
    }
}

TEST(DiscIds, CdExtraIsDescribedToMusicBrainzByItsAudioSession) {
    const auto toc = tocFromLsn({0, 20000, 60000}, 90000, {false, false, true});
    const auto ids = computeDiscIds(toc);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->freedb, freedbIdByHand(toc));
    EXPECT_EQ(ids->musicBrainz,
              musicBrainzIdByHand(1, 2, 60150 - 11400, {toc.trackOffsets[0], toc.trackOffsets[1]}));
    // The audio track before the data session does not include the session gap.
    EXPECT_EQ(tocTrackSeconds(toc), (std::vector<int>{266, (40000 - 11400) / 75, 400}));
}

TEST(DiscIds, UnreadableTablesAndEmptyDrivesGiveNothing) {
    EXPECT_FALSE(computeDiscIds(platform::DiscToc{}));
    EXPECT_FALSE(computeDiscIds(tocFromLsn({0, 5000, 3000}, 9000)));
    EXPECT_FALSE(computeDiscIds(tocFromLsn({0, 5000}, 4000)));
    test::FakeTocSource toc;
    toc.discs["D:\\"] = test::knownToc();
    platform::MemoryRegistry registry;
    FreeDbLookup lookup(toc, registry, QStringLiteral("/nonexistent"));
    EXPECT_EQ(lookup.GetDiscID(QStringLiteral("D:\\")), "11005c03");
    EXPECT_EQ(lookup.GetDiscID(QStringLiteral("E:\\")), "");
    EXPECT_FALSE(lookup.discIds());
}
