#include "freedb/freedblookup.h"

#include "app/versiontext.h"
#include "freedb/proxysetting.h"
#include "freedb/replies.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrlQuery>
#include <chrono>
#include <thread>

namespace vornap {

namespace {

const QString kCddbPath = QStringLiteral("/~cddb/cddb.cgi");

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
    m_toc = m_tocSource.readToc(driveRoot.toStdString());
    m_ids = m_toc ? computeDiscIds(*m_toc) : std::nullopt;
    if (!m_ids)
        m_toc.reset();
    return m_ids ? m_ids->freedb : QString();
}

Long FreeDbLookup::QueryDisc(const String& discIdText) {
    const QString discId = discIdText.trimmed().toLower();
    if (!isDiscId(discId))
        return 0;
    const bool tocKnown = m_ids && m_ids->freedb == discId;
    const std::vector<int> tocSeconds = tocKnown ? tocTrackSeconds(*m_toc) : std::vector<int>();

    if (auto cached = readCache(discId)) {
        m_answer = Answer{std::move(*cached), tocSeconds, 1};
        return 1;
    }
    // The server needs the frame offsets, which only the disc itself gives.
    if (!tocKnown)
        return 0;

    std::optional<Answer> answer = queryCddb(discId, *m_toc);
    if (!answer)
        answer = queryMusicBrainz(*m_ids, *m_toc);
    if (!answer)
        return 0;
    answer->tocSeconds = tocSeconds;
    m_answer = std::move(answer);
    return m_answer->matches;
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

void FreeDbLookup::writeCache(const QString& category, const QString& discId,
                              const QByteArray& entry) {
    const QString folder = m_appPath + QStringLiteral("/CDDB/") + safeCategory(category);
    if (!QDir().mkpath(folder))
        return;
    // A cache that cannot be written only costs a later lookup.
    QSaveFile file(folder + u'/' + discId);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(entry);
        file.commit();
    }
}

HttpOptions FreeDbLookup::httpOptions() const {
    HttpOptions options;
    options.connectTimeoutMs = m_settings.connectTimeoutMs;
    options.totalTimeoutMs = m_settings.totalTimeoutMs;
    options.userAgent = clientName() + u'/' + clientVersion();
    const ProxySetting proxy = StoredProxy(m_registry);
    if (proxy.inUse && !proxy.address.trimmed().isEmpty()) {
        options.proxy.address = proxy.address.trimmed();
        bool ok = false;
        const int port = proxy.port.trimmed().toInt(&ok);
        if (ok && port > 0 && port < 65536)
            options.proxy.port = port;
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

std::optional<FreeDbLookup::Answer> FreeDbLookup::queryCddb(const QString& discId,
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
        const HttpReply http = httpGet(url.toString(QUrl::FullyEncoded), httpOptions());
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
        return std::nullopt;
    if (found.code != 200 && found.code != 210 && found.code != 211)
        throw LookupFailure(server, found.statusLine);
    const std::vector<CddbMatch> matches = cddbQueryMatches(found);
    if (matches.empty())
        throw LookupFailure(server, QStringLiteral("the server's reply could not be read"));

    // Several matches: the first is taken; the cache keeps it under this disc's own ID.
    const CddbMatch& match = matches.front();
    const CddbReply read =
        send(QStringLiteral("cddb+read+%1+%2")
                 .arg(QString::fromLatin1(QUrl::toPercentEncoding(match.category)), match.discId));
    if (read.code != 210)
        throw LookupFailure(server, read.statusLine);
    const QByteArray entryText = read.lines.join('\n') + '\n';
    auto entry = parseXmcd(entryText);
    if (!read.terminated || !entry)
        throw LookupFailure(server, QStringLiteral("the disc entry could not be read"));

    writeCache(match.category, discId, entryText);
    return Answer{std::move(*entry), {}, int(matches.size())};
}

std::optional<FreeDbLookup::Answer> FreeDbLookup::queryMusicBrainz(const DiscIds& ids,
                                                                   const platform::DiscToc& toc) {
    QUrl url(m_settings.musicBrainzUrl.trimmed());
    const QString server = serverLabel(url);
    url.setPath(url.path().remove(QRegularExpression(QStringLiteral("/+$"))) +
                QStringLiteral("/ws/2/discid/") + ids.musicBrainz);
    url.setQuery(QStringLiteral("inc=recordings+artist-credits&cdstubs=no&fmt=json"));

    using Clock = std::chrono::steady_clock;
    static Clock::time_point lastRequest;
    static bool requested = false;
    const auto interval = std::chrono::milliseconds(m_settings.musicBrainzIntervalMs);
    if (requested && Clock::now() - lastRequest < interval)
        std::this_thread::sleep_for(interval - (Clock::now() - lastRequest));
    requested = true;
    lastRequest = Clock::now();

    HttpOptions options = httpOptions();
    options.userAgent =
        clientName() + u'/' + clientVersion() + QStringLiteral(" ( audio CD player lookup )");
    const HttpReply http = httpGet(url.toString(QUrl::FullyEncoded), options);
    if (!http.transferred)
        throw LookupFailure(server, http.error);
    if (http.status == 404)
        return std::nullopt;
    if (http.status != 200)
        throw LookupFailure(server, QStringLiteral("HTTP status %1").arg(http.status));

    bool readable = false;
    std::optional<XmcdEntry> entry = musicBrainzEntry(http.body, ids.musicBrainz, toc, &readable);
    if (!readable)
        throw LookupFailure(server, QStringLiteral("the server's reply could not be read"));
    if (!entry)
        return std::nullopt;

    writeCache(QStringLiteral("misc"), ids.freedb, writeXmcd(*entry, ids.freedb));
    return Answer{std::move(*entry), {}, 1};
}

String FreeDbLookup::DiscArtist() const {
    return m_answer ? m_answer->entry.artist : QString();
}

String FreeDbLookup::DiscTitle() const {
    return m_answer ? m_answer->entry.title : QString();
}

Long FreeDbLookup::TrackCount() const {
    return m_answer ? m_answer->entry.trackCount() : 0;
}

String FreeDbLookup::TrackTitle(Integer track) const {
    if (!m_answer || track < 1 || track > m_answer->entry.trackTitles.size())
        return {};
    return m_answer->entry.trackTitles[track - 1];
}

Integer FreeDbLookup::TrackSeconds(Integer track) const {
    if (!m_answer || track < 1)
        return 0;
    const int fromEntry = m_answer->entry.trackSeconds(track);
    if (fromEntry >= 0)
        return Integer(std::min(fromEntry, 32767));
    if (std::size_t(track) <= m_answer->tocSeconds.size())
        return Integer(std::min(m_answer->tocSeconds[std::size_t(track - 1)], 32767));
    return 0;
}

} // namespace vornap
