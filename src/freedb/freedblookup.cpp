#include "freedb/freedblookup.h"

#include "app/versiontext.h"
#include "freedb/proxysetting.h"
#include "freedb/replies.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrlQuery>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace vornap {

namespace {

const QString kCddbPath = QStringLiteral("/~cddb/cddb.cgi");

const QString kCdTextSource = QStringLiteral("CD-TEXT");
// A server listing more candidates than this is read no further.
constexpr std::size_t kMaxCandidates = 10;

// How far an entry is from the disc: any difference in the number of tracks
// outweighs all differences in their lengths. A CD-Extra may be described
// with or without its data track.
qint64 misfit(const XmcdEntry& entry, const platform::DiscToc& toc) {
    const int n = entry.trackCount();
    const int all = int(toc.trackOffsets.size());
    const qint64 countOff = std::min(std::abs(n - all), std::abs(n - audioTrackCount(toc)));
    const std::vector<int>& e = entry.frameOffsets;
    const std::vector<int>& t = toc.trackOffsets;
    // An entry without offsets ranks behind one a minute off in all.
    qint64 lengthsOff = 60 * 75;
    if (!e.empty()) {
        lengthsOff = 0;
        const std::size_t shared = std::min(e.size(), t.size());
        for (std::size_t i = 1; i < shared; ++i)
            lengthsOff += std::abs((e[i] - e[0]) - (t[i] - t[0]));
    }
    return countOff * 100'000'000 + lengthsOff;
}

bool isDiscId(const QString& id) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{8}$"));
    return hex.match(id).hasMatch();
}

// Category names become folder names: accept only what servers use.
QString safeCategory(const QString& category) {
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9_-]{1,32}$"));
    const QString lower = category.toLower();
    return plain.match(lower).hasMatch() ? lower : QStringLiteral("misc");
}

// "host:port", "http://host:port/" and the like.
bool hasOwnPort(const QString& address) {
    return QUrl(address.contains(QStringLiteral("://")) ? address
                                                        : QStringLiteral("http://") + address)
               .port() > 0;
}

QString serverLabel(const QUrl& url) {
    const int port = url.port();
    const bool defaultPort = port < 0 || (port == 80 && url.scheme() == QLatin1String("http")) ||
                             (port == 443 && url.scheme() == QLatin1String("https"));
    return defaultPort ? url.host() : url.host() + u':' + QString::number(port);
}

} // namespace

QString LookupSettings::defaultMusicBrainzUrl() {
    const QString configured = qEnvironmentVariable("VORNAP_MUSICBRAINZ_URL").trimmed();
    return configured.isEmpty() ? QStringLiteral("https://musicbrainz.org") : configured;
}

QUrl cddbEndpoint(const QString& serverOption) {
    QString server = serverOption.trimmed();
    if (server.isEmpty())
        server = kDefaultCddbServer;
    static const QRegularExpression scheme(QStringLiteral("^https?://"),
                                           QRegularExpression::CaseInsensitiveOption);
    QUrl url(scheme.match(server).hasMatch() ? server : QStringLiteral("http://") + server,
             QUrl::TolerantMode);
    if (url.path().isEmpty() || url.path() == QLatin1String("/"))
        url.setPath(kCddbPath);
    return url;
}

FreeDbLookup::FreeDbLookup(platform::DiscTocSource& tocSource, platform::Registry& registry,
                           QString appPath, LookupSettings settings)
    : m_tocSource(tocSource), m_registry(registry), m_appPath(std::move(appPath)),
      m_settings(std::move(settings)) {
}

String FreeDbLookup::GetDiscID(const String& driveRoot) {
    // A request to ask again belongs to the disc it was made for.
    m_askAgain = false;
    m_toc = m_tocSource.readToc(driveRoot.toStdString());
    m_ids = m_toc ? computeDiscIds(*m_toc) : std::nullopt;
    if (!m_ids)
        m_toc.reset();
    return m_ids ? m_ids->freedb : QString();
}

Long FreeDbLookup::QueryDisc(const String& discIdText) {
    const QString discId = discIdText.trimmed().toLower();
    const bool again = std::exchange(m_askAgain, false);
    if (!isDiscId(discId))
        return 0;
    const bool tocKnown = m_ids && m_ids->freedb == discId;

    if (!again) {
        if (auto cached = readCache(discId)) {
            hold(*cached, tocKnown);
            m_matches.clear();
            return 1;
        }
    }
    // The sources need the frame offsets, which only the disc itself gives.
    if (!tocKnown)
        return 0;

    m_deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(m_settings.totalTimeoutMs);
    std::vector<SourceAnswer> failures;
    bool answered = false; // a source said for sure that it knows no such disc
    std::vector<Match> found;
    const auto ask = [&](auto&& source) {
        if (!found.empty())
            return;
        try {
            found = source();
            answered = true;
        } catch (const LookupFailure& failure) {
            failures.insert(failures.end(), failure.answers().begin(), failure.answers().end());
        }
    };
    ask([&] { return queryCddb(discId, *m_toc); });
    ask([&] { return queryMusicBrainz(*m_ids, *m_toc); });
    if (found.empty() && !m_toc->text.isEmpty()) {
        Match disc;
        disc.entry.artist = m_toc->text.performer;
        disc.entry.title = m_toc->text.title;
        disc.entry.trackTitles = m_toc->text.trackTitles;
        disc.source = kCdTextSource;
        found.push_back(std::move(disc));
    }
    if (found.empty()) {
        if (answered)
            return 0;
        failures.push_back({kCdTextSource, QStringLiteral("the disc carries none")});
        throw LookupFailure(std::move(failures));
    }

    for (Match& match : found)
        match.misfit = misfit(match.entry, *m_toc);
    std::stable_sort(found.begin(), found.end(),
                     [](const Match& a, const Match& b) { return a.misfit < b.misfit; });
    m_matches = std::move(found);
    m_matchesDiscId = discId;
    m_chosen = 0;
    hold(m_matches.front().entry, true);
    writeCache(m_matches.front(), discId);
    return Long(m_matches.size());
}

QStringList FreeDbLookup::matchNames() const {
    QStringList names;
    for (const Match& m : m_matches) {
        QString name = m.entry.artist == m.entry.title
                           ? m.entry.title
                           : m.entry.artist + QStringLiteral(" / ") + m.entry.title;
        QStringList notes{m.source};
        if (!m.entry.year.isEmpty())
            notes.prepend(m.entry.year);
        notes << QStringLiteral("%1 tracks").arg(m.entry.trackCount());
        names << name + QStringLiteral(" (") + notes.join(QStringLiteral(", ")) + u')';
    }
    return names;
}

bool FreeDbLookup::chooseMatch(int index) {
    if (index < 0 || std::size_t(index) >= m_matches.size())
        return false;
    m_chosen = index;
    hold(m_matches[std::size_t(index)].entry, m_ids && m_ids->freedb == m_matchesDiscId);
    writeCache(m_matches[std::size_t(index)], m_matchesDiscId);
    return true;
}

void FreeDbLookup::hold(const XmcdEntry& entry, bool tocKnown) {
    m_answer = Answer{entry, tocKnown ? tocTrackSeconds(*m_toc) : std::vector<int>()};
}

std::optional<XmcdEntry> FreeDbLookup::readCache(const QString& discId) const {
    QDir root(m_appPath + QStringLiteral("/CDDB"));
    const QStringList categories = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& category : categories) {
        QFile file(root.filePath(category + u'/' + discId));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        auto entry = parseXmcd(file.read(1024 * 1024));
        if (entry)
            return entry;
    }
    return std::nullopt;
}

void FreeDbLookup::writeCache(const Match& match, const QString& discId) {
    // What the disc says of itself is read again at every lookup; the cache
    // holds only what a server answered, so a server is asked next time too.
    if (match.source == kCdTextSource)
        return;
    const QString category = safeCategory(match.category);
    const QString root = m_appPath + QStringLiteral("/CDDB/");
    if (!QDir().mkpath(root + category))
        return;
    // A cache that cannot be written only costs a later lookup.
    QSaveFile file(root + category + u'/' + discId);
    const QByteArray text = match.text.isEmpty() ? writeXmcd(match.entry, discId) : match.text;
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return;
    // The entry it replaces may be filed under another category.
    for (const QString& other : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (other != category)
            QFile::remove(root + other + u'/' + discId);
}

HttpOptions FreeDbLookup::httpOptions(const QString& source) const {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(m_deadline - steady_clock::now()).count();
    // With less than a tenth of a second left, a request could only time out.
    if (left < 100)
        throw LookupFailure(source, QStringLiteral("not asked, the lookup ran out of time"));
    HttpOptions options;
    options.connectTimeoutMs = int(std::min<qint64>(m_settings.connectTimeoutMs, left));
    options.totalTimeoutMs = int(std::min<qint64>(m_settings.totalTimeoutMs, left));
    options.userAgent = clientName() + u'/' + clientVersion();
    const ProxySetting proxy = StoredProxy(m_registry);
    if (proxy.inUse && !proxy.address.trimmed().isEmpty()) {
        options.proxy.address = proxy.address.trimmed();
        bool ok = false;
        const int port = proxy.port.trimmed().toInt(&ok);
        ok = ok && port > 0 && port < 65536;
        if (ok)
            options.proxy.port = port;
        // The dialog stores the port as typed. Without a port of the address's
        // own, the lookup would fail naming one the user never gave.
        if (!ok && !proxy.port.trimmed().isEmpty() && !hasOwnPort(options.proxy.address))
            throw LookupFailure(source, QStringLiteral("the proxy's HTTP port \"%1\" is not a "
                                                       "number from 1 to 65535")
                                            .arg(proxy.port));
    }
    return options;
}

QString FreeDbLookup::clientName() const {
    return m_clientName.isEmpty() ? QStringLiteral("Vornap") : m_clientName;
}

QString FreeDbLookup::clientVersion() const {
    return m_clientVersion.isEmpty() ? VersionText() : m_clientVersion;
}

QString FreeDbLookup::helloText() const {
    const qsizetype at = m_email.indexOf(u'@');
    QString user = at < 0 ? m_email : m_email.left(at);
    QString host = at < 0 ? QString() : m_email.mid(at + 1);
    if (user.trimmed().isEmpty())
        user = QStringLiteral("anonymous");
    if (host.trimmed().isEmpty())
        host = QStringLiteral("localhost");
    QStringList words;
    for (const QString& word : {user, host, clientName(), clientVersion()})
        words << QString::fromLatin1(QUrl::toPercentEncoding(word.trimmed()));
    return words.join(u'+');
}

std::vector<FreeDbLookup::Match> FreeDbLookup::queryCddb(const QString& discId,
                                                         const platform::DiscToc& toc) {
    const QUrl endpoint = cddbEndpoint(m_server);
    const QString server = serverLabel(endpoint);
    if (!endpoint.isValid() || endpoint.host().isEmpty())
        throw LookupFailure(m_server, QStringLiteral("the server address is not valid"));

    const auto send = [&](const QString& command) {
        QUrl url = endpoint;
        // The CDDB command words are joined by "+", which must stay unencoded.
        url.setQuery(QStringLiteral("cmd=%1&hello=%2&proto=6").arg(command, helloText()),
                     QUrl::StrictMode);
        const HttpReply http = httpGet(url.toString(QUrl::FullyEncoded), httpOptions(server));
        if (!http.transferred)
            throw LookupFailure(server, http.error);
        if (http.status != 200)
            throw LookupFailure(server, QStringLiteral("HTTP status %1").arg(http.status));
        auto reply = splitCddbReply(http.body);
        if (!reply)
            throw LookupFailure(server, QStringLiteral("the server's reply could not be read"));
        return *reply;
    };

    QStringList query{QStringLiteral("cddb"), QStringLiteral("query"), discId,
                      QString::number(toc.trackOffsets.size())};
    for (int offset : toc.trackOffsets)
        query << QString::number(offset);
    query << QString::number(toc.leadOut / 75);
    const CddbReply found = send(query.join(u'+'));

    if (found.code == 202)
        return {};
    // Any other code is a refusal or an error: 500 "Unknown developer email"
    // from a server that does not know this client, 403, 409 and the like.
    if (found.code != 200 && found.code != 210 && found.code != 211)
        throw LookupFailure(server, found.statusLine);
    std::vector<CddbMatch> listed = cddbQueryMatches(found);
    if (listed.empty())
        throw LookupFailure(server, QStringLiteral("the server's reply could not be read"));
    if (listed.size() > kMaxCandidates)
        listed.resize(kMaxCandidates);

    // Every candidate is read, so that the one fitting this disc can be taken.
    std::vector<Match> matches;
    std::optional<LookupFailure> firstFailure;
    for (const CddbMatch& candidate : listed) {
        try {
            const CddbReply read =
                send(QStringLiteral("cddb+read+%1+%2")
                         .arg(QString::fromLatin1(QUrl::toPercentEncoding(candidate.category)),
                              candidate.discId));
            if (read.code != 210)
                throw LookupFailure(server, read.statusLine);
            const QByteArray text = read.lines.join('\n') + '\n';
            auto entry = parseXmcd(text);
            if (!read.terminated || !entry)
                throw LookupFailure(server, QStringLiteral("the disc entry could not be read"));
            matches.push_back(Match{std::move(*entry), server, candidate.category, text});
        } catch (const LookupFailure& failure) {
            if (!firstFailure)
                firstFailure = failure;
        }
    }
    if (matches.empty())
        throw *firstFailure;
    return matches;
}

std::vector<FreeDbLookup::Match> FreeDbLookup::queryMusicBrainz(const DiscIds& ids,
                                                                const platform::DiscToc& toc) {
    QUrl url(m_settings.musicBrainzUrl.trimmed());
    const QString server = serverLabel(url);
    url.setPath(url.path().remove(QRegularExpression(QStringLiteral("/+$"))) +
                QStringLiteral("/ws/2/discid/") + ids.musicBrainz);
    // With the TOC the service also answers for pressings whose exact disc
    // ID it lacks, by track count and lengths.
    url.setQuery(QStringLiteral("toc=%1&inc=recordings+artist-credits&cdstubs=no&fmt=json")
                     .arg(ids.musicBrainzToc));

    {
        // MusicBrainz asks clients for at most one request a second.
        using Clock = std::chrono::steady_clock;
        static std::mutex mutex;
        static std::optional<Clock::time_point> lastRequest;
        std::lock_guard lock(mutex);
        const auto interval = std::chrono::milliseconds(m_settings.musicBrainzIntervalMs);
        if (lastRequest && Clock::now() - *lastRequest < interval)
            std::this_thread::sleep_for(interval - (Clock::now() - *lastRequest));
        lastRequest = Clock::now();
    }

    HttpOptions options = httpOptions(server);
    options.userAgent =
        clientName() + u'/' + clientVersion() + QStringLiteral(" ( audio CD player lookup )");
    const HttpReply http = httpGet(url.toString(QUrl::FullyEncoded), options);
    if (!http.transferred)
        throw LookupFailure(server, http.error);
    if (http.status == 404)
        return {};
    if (http.status != 200)
        throw LookupFailure(server, QStringLiteral("HTTP status %1").arg(http.status));

    bool readable = false;
    std::vector<XmcdEntry> entries = musicBrainzEntries(http.body, ids.musicBrainz, toc, &readable);
    if (!readable)
        throw LookupFailure(server, QStringLiteral("the server's reply could not be read"));
    std::vector<Match> matches;
    for (XmcdEntry& entry : entries)
        matches.push_back(Match{std::move(entry), server, QStringLiteral("misc"), {}});
    return matches;
}

String FreeDbLookup::DiscArtist() const {
    return m_answer ? m_answer->entry.artist : QString();
}

String FreeDbLookup::DiscTitle() const {
    return m_answer ? m_answer->entry.title : QString();
}

Long FreeDbLookup::TrackCount() const {
    if (!m_answer)
        return 0;
    if (!m_answer->tocSeconds.empty())
        return Long(m_answer->tocSeconds.size());
    return m_answer->entry.trackCount();
}

String FreeDbLookup::TrackTitle(Integer track) const {
    if (!m_answer || track < 1 || track > m_answer->entry.trackTitles.size() ||
        track > TrackCount())
        return {};
    return m_answer->entry.trackTitles[track - 1];
}

Integer FreeDbLookup::TrackSeconds(Integer track) const {
    if (!m_answer || track < 1)
        return 0;
    const std::vector<int>& fromToc = m_answer->tocSeconds;
    if (!fromToc.empty())
        return std::size_t(track) <= fromToc.size()
                   ? Integer(std::min(fromToc[std::size_t(track - 1)], 32767))
                   : 0;
    const int fromEntry = m_answer->entry.trackSeconds(track);
    return fromEntry >= 0 ? Integer(std::min(fromEntry, 32767)) : 0;
}

} // namespace vornap
