#pragma once

#include "freedb/freedblookup.h"
#include "platform/drives.h"
#include "support/localhttp.h"

#include <QStringList>
#include <map>
#include <string>

namespace vornap::test {

// The drive table's TOC seam, answering from discs the test inserts.
class FakeTocSource final : public platform::DiscTocSource {
public:
    std::optional<platform::DiscToc> readToc(const std::string& root) override {
        ++reads;
        const auto it = discs.find(root);
        if (it == discs.end())
            return std::nullopt;
        return it->second;
    }
    std::map<std::string, platform::DiscToc> discs;
    int reads = 0;
};

// A TOC from track starts and lead-out as logical sector numbers (no 150 offset).
inline platform::DiscToc tocFromLsn(const std::vector<int>& starts, int leadOut,
                                    std::vector<bool> data = {}) {
    platform::DiscToc toc;
    toc.firstTrack = 1;
    toc.lastTrack = int(starts.size());
    for (int s : starts)
        toc.trackOffsets.push_back(s + 150);
    toc.dataTrack = data.empty() ? std::vector<bool>(starts.size(), false) : data;
    toc.leadOut = leadOut + 150;
    return toc;
}

// The disc of the measured recipe: FreeDB 11005c03.
inline platform::DiscToc knownToc() {
    return tocFromLsn({0, 1500, 2025}, 6900);
}

// An xmcd entry as a server sends it.
inline QByteArray xmcdEntry(const QByteArray& discTitle, const QList<QByteArray>& titles,
                            const std::vector<int>& offsets = {}, int discLength = 0) {
    QByteArray text = "# xmcd\n#\n";
    if (!offsets.empty()) {
        text += "# Track frame offsets:\n";
        for (int o : offsets)
            text += "#\t" + QByteArray::number(o) + "\n";
        text += "#\n# Disc length: " + QByteArray::number(discLength) + " seconds\n#\n";
    }
    text += "DISCID=11005c03\nDTITLE=" + discTitle + "\nDYEAR=1999\nDGENRE=Rock\n";
    for (int i = 0; i < titles.size(); ++i)
        text += "TTITLE" + QByteArray::number(i) + "=" + titles[i] + "\n";
    text += "EXTD=\nPLAYORDER=\n";
    return text;
}

// A CDDB server's behaviour: the reply to "cddb query", entries by
// "category discid", and a MusicBrainz reply for its disc-ID service.
struct CddbScript {
    QByteArray queryReply = "202 No match for disc ID 11005c03.\r\n";
    std::map<QString, QByteArray> entries;
    QByteArray readReply; // replaces the entry reply when set
    LocalHttpServer::Reply musicBrainz{404, "{\"error\":\"Not Found\"}", "application/json"};
    bool neverAnswer = false;
    std::chrono::milliseconds delay{0}; // before every answer

    LocalHttpServer::Reply operator()(const LocalHttpServer::Request& r) const {
        std::this_thread::sleep_for(delay);
        if (neverAnswer)
            return {.neverAnswer = true};
        if (r.path.startsWith(QLatin1String("/ws/2/discid/")))
            return musicBrainz;
        const QString cmd = r.query.queryItemValue(QStringLiteral("cmd"));
        const QStringList words = cmd.split(u'+');
        if (words.value(1) == QLatin1String("query"))
            return {200, queryReply};
        if (words.value(1) == QLatin1String("read")) {
            if (!readReply.isEmpty())
                return {200, readReply};
            const QString key = words.value(2) + u' ' + words.value(3);
            const auto it = entries.find(key);
            if (it == entries.end())
                return {200, "401 " + key.toUtf8() + " No such CD entry in database.\r\n"};
            return {200, "210 " + key.toUtf8() +
                             " CD database entry follows (until terminating `.')\r\n" +
                             QByteArray(it->second).replace("\n", "\r\n") + ".\r\n"};
        }
        return {200, "500 Unrecognized command.\r\n"};
    }
};

} // namespace vornap::test
