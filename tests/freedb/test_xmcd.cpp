#include "freedb/xmcd.h"

#include <gtest/gtest.h>

using namespace vornap;

// Entries as servers send them and what is read from them; no tracks: not an
// entry. Reply lines, the cache's round trip, the 99-track limit of entries
// and replies and a huge disc length are checked by the fuzz targets over
// their seeds.
TEST(Xmcd, EntriesReadAsTheirServersMeantThem) {
    const auto utf8 = [](const char* text) { return QString::fromUtf8(text); };
    struct Row {
        QByteArray text;
        QStringList read; // artist, title, then the track titles
    };
    const std::vector<Row> rows{
        // Latin-1 and UTF-8 lines mixed, CRLF ends, a UTF-8 character and an
        // escape each split across two lines of one keyword.
        {"DTITLE=Sigur R\xc3\xb3s  /  \xc3\x81g\xc3\xa6tis byrjun\r\nTTITLE0=Intro\\tPart\r\n"
         "TTITLE1=Bj\xf6rk\r\nTTITLE0= (continued)\r\nTTITLE1= caf\xc3\r\nTTITLE1=\xa9\r\n"
         "DTITLE=\\\r\nDTITLE=n!\r\n",
         {utf8("Sigur R\xc3\xb3s"), utf8("\xc3\x81g\xc3\xa6tis byrjun\n!"),
          "Intro\tPart (continued)", utf8("Bj\xc3\xb6rk caf\xc3\xa9")}},
        // Overlong forms, surrogates and cut-off sequences are not UTF-8;
        // unknown escapes stay as written.
        {"DTITLE=\xc0\x80 / \xed\xa0\x80\nTTITLE0=x\xe2\x82\nTTITLE1=\xf0\x9f\x8e\xb5\\\\d\\x\\\n",
         {"\xc3\x80\xc2\x80", "\xc3\xad\xc2\xa0\xc2\x80", "x\xc3\xa2\xc2\x82",
          utf8("\xf0\x9f\x8e\xb5\\d\\x\\")}},
        {"DTITLE=Various/Mixed\nTTITLE0=a\n", {"Various/Mixed", "Various/Mixed", "a"}},
        {"DTITLE=A / B / C\nTTITLE0=a\n", {"A", "B / C", "a"}},
        {"DTITLE=A / B\r\nTTITLE0=one\r\nTTITLE2=three\r\n", {"A", "B", "one", "", "three"}},
        {"DTITLE=A / B\n", {}},
    };
    for (const Row& r : rows) {
        const auto e = parseXmcd(r.text);
        EXPECT_EQ((e ? QStringList{e->artist, e->title} + e->trackTitles : QStringList{}), r.read)
            << r.text.toStdString();
    }
}
