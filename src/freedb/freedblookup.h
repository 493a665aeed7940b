#pragma once

#include "freedb/discids.h"
#include "freedb/freedbcontrol.h"
#include "freedb/httpget.h"
#include "freedb/xmcd.h"
#include "platform/drives.h"
#include "platform/registry.h"

#include <QUrl>
#include <chrono>
#include <optional>

namespace vornap {

struct LookupSettings {
    int connectTimeoutMs = int(platform::kConnectTimeout.count());
    // For all sources of one lookup together, so that the window waits no longer.
    int totalTimeoutMs = int(platform::kTotalTimeout.count());
    // Base address of the MusicBrainz web service; VORNAP_MUSICBRAINZ_URL
    // overrides the public one.
    QString musicBrainzUrl = defaultMusicBrainzUrl();
    // MusicBrainz asks clients for at most one request a second.
    int musicBrainzIntervalMs = 1000;

    static QString defaultMusicBrainzUrl();
};

// The public CDDB service a first run uses.
inline const QString kDefaultCddbServer = QStringLiteral("gnudb.gnudb.org");

// The address a server option names: "host", "host:port" or a full
// http(s) address; an empty option names the default server.
QUrl cddbEndpoint(const QString& serverOption);

// The lookup component: disc identifiers from the drive's table of contents;
// titles from the cache <app path>/CDDB/<category>/<discid>, else the CDDB
// server, else MusicBrainz, else the disc's own CD-TEXT, each asked when the
// one before refused, failed or found nothing. Track count and lengths come
// from the table of contents whenever it is known.
class FreeDbLookup final : public FreeDbControl {
public:
    FreeDbLookup(platform::DiscTocSource& tocSource, platform::Registry& registry, QString appPath,
                 LookupSettings settings = {});

    String GetDiscID(const String& driveRoot) override;
    void setClientName(const String& name) override { m_clientName = name; }
    void setClientVersion(const String& version) override { m_clientVersion = version; }
    void setEmailAddress(const String& address) override { m_email = address; }
    void setServerName(const String& server) override { m_server = server; }
    Long QueryDisc(const String& discId) override;

    String DiscArtist() const override;
    String DiscTitle() const override;
    Long TrackCount() const override;
    String TrackTitle(Integer track) const override;
    Integer TrackSeconds(Integer track) const override;

    void setSubmitMode(Boolean on) override { m_submitMode = on; }
    void setOptionFlag(Boolean on) override { m_optionFlag = on; }

    void askAgain() override { m_askAgain = true; }
    QStringList matchNames() const override;
    int chosenMatch() const override { return m_chosen; }
    bool chooseMatch(int index) override;

    Boolean submitMode() const { return m_submitMode; }
    Boolean optionFlag() const { return m_optionFlag; }
    const std::optional<DiscIds>& discIds() const { return m_ids; }

private:
    struct Match {
        XmcdEntry entry;
        QString source;   // the server it came from, or the disc's CD-TEXT
        QString category; // where the cache files it
        QByteArray text;  // the entry as the server sent it; empty: written from `entry`
        qint64 misfit = 0;
    };
    struct Answer {
        XmcdEntry entry;
        std::vector<int> tocSeconds; // of every track, when the TOC is known
    };

    std::optional<XmcdEntry> readCache(const QString& discId) const;
    void writeCache(const Match& match, const QString& discId);
    std::vector<Match> queryCddb(const QString& discId, const platform::DiscToc& toc);
    std::vector<Match> queryMusicBrainz(const DiscIds& ids, const platform::DiscToc& toc);
    // Holds an entry as the answer; with the TOC of the disc it describes.
    void hold(const XmcdEntry& entry, bool tocKnown);
    // For a request to `source` within the time left of this lookup; throws
    // when none is left.
    HttpOptions httpOptions(const QString& source) const;
    QString clientName() const;
    QString clientVersion() const;
    QString helloText() const;

    platform::DiscTocSource& m_tocSource;
    platform::Registry& m_registry;
    QString m_appPath;
    LookupSettings m_settings;

    String m_clientName = QStringLiteral("Vornap");
    String m_clientVersion;
    String m_email;
    String m_server;
    Boolean m_submitMode = false;
    Boolean m_optionFlag = false;

    std::optional<platform::DiscToc> m_toc; // of the disc last identified
    std::optional<DiscIds> m_ids;
    std::optional<Answer> m_answer;
    std::vector<Match> m_matches; // of the last query that asked the sources
    int m_chosen = 0;
    QString m_matchesDiscId;
    bool m_askAgain = false;
    std::chrono::steady_clock::time_point m_deadline; // of the lookup under way
};

} // namespace vornap
