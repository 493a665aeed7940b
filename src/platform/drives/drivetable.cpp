#include "platform/drives/drivetable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcDrives, "vornap.drives", QtInfoMsg)

namespace vornap::platform {

namespace {

void cdioLog(cdio_log_level_t level, const char message[]) {
    if (level >= CDIO_LOG_ERROR)
        qCWarning(lcDrives) << "libcdio:" << message;
    else
        qCDebug(lcDrives) << "libcdio:" << message;
}

void routeCdioLog() {
    static const bool once = [] {
        cdio_log_set_handler(cdioLog);
        return true;
    }();
    (void)once;
}

std::string rootOf(char letter) {
    return std::string(1, letter) + ":\\";
}

char letterOf(std::string_view root) {
    if (root.empty())
        return 0;
    const char c = char(std::toupper(static_cast<unsigned char>(root[0])));
    return (c >= 'A' && c <= 'Z') ? c : 0;
}

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

bool isImageName(const QString& name) {
    static const QStringList kinds{".cue", ".toc", ".nrg"};
    for (const QString& k : kinds)
        if (name.endsWith(k, Qt::CaseInsensitive))
            return true;
    return false;
}

driver_id_t driverFor(const QString& path) {
    if (path.endsWith(".toc", Qt::CaseInsensitive))
        return DRIVER_CDRDAO;
    if (path.endsWith(".nrg", Qt::CaseInsensitive))
        return DRIVER_NRG;
    return DRIVER_BINCUE;
}

// The names of a cue sheet's FILE lines: the word after FILE, or what stands
// between quotes after it (which may run on over lines). Read by hand, as
// every disc loaded reads its sheet: a regular expression engine costs
// half a megabyte of memory.
QStringList fileLines(const QString& sheet) {
    QStringList files;
    const qsizetype n = sheet.size();
    const auto skipSpace = [&](qsizetype i) {
        while (i < n && sheet[i].isSpace())
            ++i;
        return i;
    };
    for (qsizetype line = 0; line < n;) {
        qsizetype end = line;
        const qsizetype word = skipSpace(line);
        if (QStringView(sheet).mid(word, 4).compare(u"FILE", Qt::CaseInsensitive) == 0 &&
            word + 4 < n && sheet[word + 4].isSpace()) {
            const qsizetype name = skipSpace(word + 4);
            const qsizetype close =
                name < n && sheet[name] == u'"' ? sheet.indexOf(u'"', name + 1) : -1;
            if (close > name) {
                files << sheet.mid(name + 1, close - name - 1);
                end = close + 1;
            } else if (name < n) {
                for (end = name; end < n && !sheet[end].isSpace();)
                    ++end;
                files << sheet.mid(name, end - name);
            }
        }
        const qsizetype newline = sheet.indexOf(u'\n', end);
        line = newline < 0 ? n : newline + 1;
    }
    return files;
}

// The file a sheet's FILE line names, as a path; relative names are taken
// from the sheet's folder.
QString namedDataFile(const QFileInfo& cue, QString named) {
    named.replace('\\', '/');
    return QFileInfo(named).isAbsolute() ? named : cue.absolutePath() + '/' + named;
}

// libcdio 2.1.0 reads <name>.bin beside <name>.cue whatever the sheet's FILE
// line names. When they differ, a copy of the sheet goes into a private
// directory beside a link named as libcdio expects.
QString correctedCue(const QString& cuePath, std::shared_ptr<void>& keepAlive, QString* problem) {
    QFile f(cuePath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return cuePath;
    const QStringList files = fileLines(QString::fromUtf8(f.readAll()));
    const QFileInfo cue(cuePath);
    const QString expected = cue.absolutePath() + '/' + cue.completeBaseName() + ".bin";
    if (files.size() != 1) {
        if (files.size() > 1 && problem)
            *problem = QStringLiteral("%1 names %2 data files; only one is supported")
                           .arg(cuePath)
                           .arg(files.size());
        return cuePath;
    }
    const QString target = namedDataFile(cue, files.first());
    // Only a regular file is a disc's data: a pipe or a device named here
    // would hold the reader forever.
    if (QFileInfo(target).canonicalFilePath() == QFileInfo(expected).canonicalFilePath() ||
        !QFileInfo(target).isFile())
        return cuePath;
    auto dir = std::make_shared<QTemporaryDir>();
    if (!dir->isValid())
        return cuePath;
    const QString copy = dir->filePath(cue.fileName());
    if (!QFile::copy(cuePath, copy) || !QFile::link(QFileInfo(target).absoluteFilePath(),
                                                    dir->filePath(cue.completeBaseName() + ".bin")))
        return cuePath;
    qCInfo(lcDrives) << cuePath << "names" << target << "as its data; reading that file";
    keepAlive = dir;
    return copy;
}

// The file that holds a sheet's sound, as correctedCue picks it.
QString sheetData(const QString& cuePath) {
    const QFileInfo cue(cuePath);
    QFile f(cuePath);
    // A sheet is a few kilobytes; this is read at every look at the drive.
    const QStringList files = f.open(QIODevice::ReadOnly | QIODevice::Text)
                                  ? fileLines(QString::fromUtf8(f.read(1 << 20)))
                                  : QStringList();
    const QString named = files.size() == 1 ? namedDataFile(cue, files.first()) : QString();
    return !named.isEmpty() && QFileInfo(named).isFile()
               ? named
               : cue.absolutePath() + '/' + cue.completeBaseName() + ".bin";
}

// True while some program has the file open for writing and wrote to it of
// late: a disc still being copied in, whose every partial state would load as
// a shorter disc (and be looked up). A read lease is refused exactly while
// the file is open for writing; where leases are not to be had (a file of
// another owner, some network file systems) the file counts as whole.
bool beingWritten(const QByteArray& path, const struct stat& st, const timespec& now) {
    constexpr std::int64_t lately = 30'000'000'000;
    if (std::abs(nanoseconds(now) - nanoseconds(st.st_mtim)) > lately)
        return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool writing = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    if (!writing)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ::close(fd);
    return writing;
}

// The medium a disc image file is; nullopt when there is none, or while its
// files are still being written.
std::optional<MediumId> statId(const QString& path) {
    struct stat st {};
    const QByteArray encoded = QFile::encodeName(path);
    if (::stat(encoded.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    if (beingWritten(encoded, st, now))
        return std::nullopt;
    MediumId id;
    id.path = path;
    id.inode = std::int64_t(st.st_ino);
    id.size = std::int64_t(st.st_size);
    id.mtimeNs = nanoseconds(st.st_mtim);
    if (path.endsWith(".cue", Qt::CaseInsensitive)) {
        id.dataPath = sheetData(path);
        const QByteArray data = QFile::encodeName(id.dataPath);
        if (::stat(data.constData(), &st) == 0) {
            if (S_ISREG(st.st_mode) && beingWritten(data, st, now))
                return std::nullopt;
            id.dataSize = std::int64_t(st.st_size);
            id.dataMtimeNs = nanoseconds(st.st_mtim);
        }
    }
    return id;
}

QStringList isoRootFiles(CdIo_t* cdio, bool* ok) {
    QStringList names;
    CdioList_t* entries = iso9660_fs_readdir(cdio, "/");
    *ok = entries != nullptr;
    if (!entries)
        return names;
    CdioListNode_t* node;
    _CDIO_LIST_FOREACH(node, entries) {
        const auto* st = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
        if (!st || st->type != iso9660_stat_s::_STAT_FILE)
            continue;
        QString name = QString::fromLatin1(st->filename);
        const qsizetype semi = name.indexOf(';');
        if (semi >= 0)
            name.truncate(semi);
        if (name.endsWith('.'))
            name.chop(1);
        if (!name.isEmpty())
            names << name;
    }
    iso9660_filelist_free(entries);
    return names;
}

class DirectReader final : public SectorReader {
public:
    explicit DirectReader(CdIo_t* cdio) : m_cdio(cdio) {}
    ~DirectReader() override { cdio_destroy(m_cdio); }
    bool read(int lsn, int count, std::int16_t* out) override {
        // libcdio answers 1 at the lead-out: only success counts.
        return cdio_read_audio_sectors(m_cdio, out, lsn, std::uint32_t(count)) == DRIVER_OP_SUCCESS;
    }

private:
    CdIo_t* m_cdio;
};

class ParanoiaReader final : public SectorReader {
public:
    ParanoiaReader(CdIo_t* cdio, cdrom_drive_t* drive, cdrom_paranoia_t* paranoia)
        : m_cdio(cdio), m_drive(drive), m_paranoia(paranoia) {}
    ~ParanoiaReader() override {
        cdio_paranoia_free(m_paranoia);
        cdio_cddap_close_no_free_cdio(m_drive);
        cdio_destroy(m_cdio);
    }
    bool read(int lsn, int count, std::int16_t* out) override {
        if (lsn != m_next)
            cdio_paranoia_seek(m_paranoia, lsn, SEEK_SET);
        for (int i = 0; i < count; ++i) {
            const std::int16_t* sector = cdio_paranoia_read(m_paranoia, nullptr);
            if (!sector)
                return false;
            std::memcpy(out + size_t(i) * 1176, sector, CDIO_CD_FRAMESIZE_RAW);
        }
        m_next = lsn + count;
        return true;
    }

private:
    CdIo_t* m_cdio;
    cdrom_drive_t* m_drive;
    cdrom_paranoia_t* m_paranoia;
    int m_next = -1;
};

// Tells whether anything that could change a probe's answer happened since
// it was taken: a file created, removed, renamed, written or touched in the
// directories that hold the disc, or one of them or a folder above it moved
// away or unmounted. inotify queues an event before the call that made the
// change returns, so the answer is as exact as looking again. Only local
// file systems report every change; on others the drive always looks again.
class ChangeWatch {
public:
    ~ChangeWatch() { stop(); }

    // True while nothing happened since the last start().
    bool unchanged() {
        if (m_fd < 0)
            return false;
        char events[4096];
        if (::read(m_fd, events, sizeof events) < 0 && errno == EAGAIN)
            return true;
        stop();
        return false;
    }

    // Watches the directories holding `files` (as named and as their links
    // lead) and the folders above them. False when that cannot be relied on.
    bool start(const QStringList& files) {
        stop();
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0)
            return false;
        constexpr std::uint32_t self = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
        constexpr std::uint32_t content = self | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                          IN_MOVED_TO | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE;
        QStringList dirs;
        for (const QString& file : files) {
            const QFileInfo info(file);
            dirs << info.absolutePath();
            if (info.isSymLink())
                dirs << QFileInfo(info.canonicalFilePath()).absolutePath();
        }
        dirs.removeDuplicates();
        for (const QString& dir : dirs) {
            if (!localFileSystem(dir) || !add(dir, content))
                return stopped();
            for (QString above = QFileInfo(dir).absolutePath(); above != dir && !above.isEmpty();) {
                if (!add(above, self))
                    return stopped();
                const QString next = QFileInfo(above).absolutePath();
                if (next == above)
                    break;
                above = next;
            }
        }
        return true;
    }

private:
    bool add(const QString& dir, std::uint32_t mask) {
        return ::inotify_add_watch(m_fd, QFile::encodeName(dir).constData(),
                                   mask | IN_MASK_ADD | IN_ONLYDIR) >= 0;
    }
    bool stopped() {
        stop();
        return false;
    }
    void stop() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    static bool localFileSystem(const QString& dir) {
        struct statfs fs {};
        if (::statfs(QFile::encodeName(dir).constData(), &fs) != 0)
            return false;
        static constexpr std::uint32_t local[] = {
            0xEF53,     // ext2, ext3, ext4
            0x9123683E, // btrfs
            0x58465342, // xfs
            0x01021994, // tmpfs
            0x858458F6, // ramfs
            0xF2F52010, // f2fs
            0x2FC12FC1, // zfs
            0x794C7630, // overlayfs
            0x4D44,     // vfat
            0x2011BAB0, // exfat
            0x3153464A, // jfs
            0x52654973, // reiserfs
        };
        return std::find(std::begin(local), std::end(local), std::uint32_t(fs.f_type)) !=
               std::end(local);
    }

    int m_fd = -1;
};

// A disc image, or a directory acting as the tray of the drive.
class VirtualDrive final : public Drive {
public:
    VirtualDrive(std::string root, QString path)
        : Drive(std::move(root)), m_path(std::move(path)) {}
    bool isVirtual() const override { return true; }
    QString source() const override { return m_path; }

    // The watcher asks about the medium a dozen times a second and a playing
    // drive once a second: while nothing changed around a disc that is in,
    // the answer is the last one.
    std::optional<MediumId> probe() override {
        std::lock_guard lock(m_probeMutex);
        if (m_present && m_watch.unchanged())
            return m_present;
        m_present.reset();
        std::optional<MediumId> id = look();
        if (!id)
            return id;
        QStringList files{id->path};
        if (!id->dataPath.isEmpty())
            files << id->dataPath;
        // Looked at again once watched: what changed in between is seen.
        if (m_watch.start(files)) {
            const std::optional<MediumId> again = look();
            if (again == id)
                m_present = id;
            return again;
        }
        return id;
    }

protected:
    std::shared_ptr<Disc> load(const MediumId& id) override {
        QString problem;
        auto disc = loadDisc(id.path, id, false, &problem);
        if (!problem.isEmpty())
            qCWarning(lcDrives) << root().c_str() << problem;
        return disc;
    }

private:
    std::optional<MediumId> look() {
        struct stat st {};
        if (::stat(m_encodedPath.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return statId(m_path);
        // The tray is listed again only when it changed.
        const std::int64_t mtime = nanoseconds(st.st_mtim);
        if (!m_tray || !m_tray->settled || m_tray->inode != std::int64_t(st.st_ino) ||
            m_tray->mtimeNs != mtime) {
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME, &now);
            // A change within the same timestamp tick as this listing would
            // leave the time unchanged; such a listing is taken again.
            const bool settled = nanoseconds(now) - mtime > 1'000'000'000;
            m_tray = Tray{std::int64_t(st.st_ino), mtime, settled, firstImage(m_path)};
        }
        if (m_tray->image.isEmpty())
            return std::nullopt;
        return statId(m_path + '/' + m_tray->image);
    }

    struct Tray {
        std::int64_t inode = 0;
        std::int64_t mtimeNs = 0;
        bool settled = false;
        QString image;
    };
    // The tray holds a disc when it holds an image; with several, the first
    // by name is in the drive.
    static QString firstImage(const QString& dir) {
        for (const QString& name : QDir(dir).entryList(QDir::Files, QDir::Name))
            if (isImageName(name))
                return name;
        return {};
    }

    QString m_path;
    QByteArray m_encodedPath = QFile::encodeName(m_path);
    std::mutex m_probeMutex;
    std::optional<Tray> m_tray;
    ChangeWatch m_watch;
    std::optional<MediumId> m_present; // the last answer, while it holds
};

class DeviceDrive final : public Drive {
public:
    DeviceDrive(std::string root, QString device)
        : Drive(std::move(root)), m_device(std::move(device)) {}
    ~DeviceDrive() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isVirtual() const override { return false; }
    QString source() const override { return m_device; }
    std::optional<MediumId> probe() override {
        std::lock_guard lock(m_mutex);
        if (m_fd < 0)
            m_fd =
                ::open(QFile::encodeName(m_device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (m_fd < 0)
            return std::nullopt;
        const int status = ::ioctl(m_fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
        const bool present = status == CDS_DISC_OK;
        if (present && !m_present)
            ++m_generation;
        m_present = present;
        if (!present)
            return std::nullopt;
        MediumId id;
        id.path = m_device;
        id.generation = m_generation;
        return id;
    }

protected:
    std::shared_ptr<Disc> load(const MediumId& id) override {
        QString problem;
        auto disc = loadDisc(m_device, id, true, &problem);
        if (!problem.isEmpty())
            qCWarning(lcDrives) << root().c_str() << problem;
        return disc;
    }

private:
    QString m_device;
    std::mutex m_mutex;
    int m_fd = -1;
    bool m_present = false;
    std::uint64_t m_generation = 0;
};

// A cue sheet can name tracks past the end of its data file, or start times
// out of order; libcdio passes them on, which gives negative lengths. The disc
// keeps the tracks that start in order before the data runs out.
bool keepReadableTracks(DiscToc& toc, const QString& path, QString* problem) {
    // A TRACK without INDEX 01 comes back two seconds before the data, ahead
    // of the lead-in no disc has: it starts where the data does.
    for (int& offset : toc.trackOffsets)
        offset = std::max(offset, int(CDIO_PREGAP_SECTORS));
    std::size_t kept = 0;
    while (kept < toc.trackOffsets.size() && toc.trackOffsets[kept] < toc.leadOut &&
           (kept == 0 || toc.trackOffsets[kept] > toc.trackOffsets[kept - 1]))
        ++kept;
    if (kept == 0) {
        if (problem)
            *problem = QStringLiteral("%1 holds no sound for its first track").arg(path);
        return false;
    }
    if (kept < toc.trackOffsets.size()) {
        if (problem)
            *problem = QStringLiteral("%1 lists %2 tracks; the data holds the first %3")
                           .arg(path)
                           .arg(toc.trackOffsets.size())
                           .arg(kept);
        toc.trackOffsets.resize(kept);
        toc.dataTrack.resize(kept);
        toc.lastTrack = toc.firstTrack + int(kept) - 1;
    }
    return true;
}

// libcdio reads a cue sheet's texts as Latin-1, so a sheet written in UTF-8,
// as most are today, comes back encoded twice.
QString cdTextString(const char* utf8, bool fromSheet) {
    QString text = QString::fromUtf8(utf8 ? utf8 : "");
    if (fromSheet && !text.isEmpty()) {
        bool latin1 = true;
        for (const QChar c : text)
            latin1 = latin1 && c.unicode() < 256;
        if (latin1) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString once = decoder.decode(text.toLatin1());
            if (!decoder.hasError())
                text = once;
        }
    }
    return text.trimmed();
}

// The first language block of the disc's CD-TEXT.
DiscText readCdText(CdIo_t* cdio, const DiscToc& toc, bool fromSheet) {
    DiscText text;
    cdtext_t* cdtext = cdio_get_cdtext(cdio);
    if (!cdtext)
        return text;
    const auto field = [&](cdtext_field_t f, int track) {
        return cdTextString(cdtext_get_const(cdtext, f, track_t(track)), fromSheet);
    };
    text.performer = field(CDTEXT_FIELD_PERFORMER, 0);
    text.title = field(CDTEXT_FIELD_TITLE, 0);
    for (int t = toc.firstTrack; t <= toc.lastTrack; ++t)
        text.trackTitles << field(CDTEXT_FIELD_TITLE, t);
    if (text.isEmpty())
        return {};
    return text;
}

} // namespace

std::shared_ptr<Disc> loadDisc(const QString& path, const MediumId& id, bool device,
                               QString* problem) {
    routeCdioLog();
    auto disc = std::make_shared<Disc>();
    disc->id = id;
    disc->device = device;
    disc->openPath = path;
    disc->driver = device ? DRIVER_DEVICE : driverFor(path);
    if (!device && disc->driver == DRIVER_BINCUE) {
        disc->openPath = correctedCue(path, disc->keepAlive, problem);
        // libcdio opens <name>.bin whatever it is; a pipe there would never answer.
        const QFileInfo sheet(disc->openPath);
        const QFileInfo data(sheet.absolutePath() + '/' + sheet.completeBaseName() + ".bin");
        if (data.exists() && !data.isFile()) {
            if (problem)
                *problem = QStringLiteral("%1 is not a regular file").arg(data.filePath());
            return nullptr;
        }
    }
    CdIo_t* cdio =
        cdio_open(QFile::encodeName(disc->openPath).constData(), driver_id_t(disc->driver));
    if (!cdio) {
        if (problem)
            *problem = QStringLiteral("cannot open %1").arg(path);
        return nullptr;
    }
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        cdio_destroy(cdio);
        if (problem)
            *problem = QStringLiteral("%1 has no readable table of contents").arg(path);
        return nullptr;
    }
    DiscToc& toc = disc->toc;
    toc.firstTrack = first;
    toc.lastTrack = first + count - 1;
    bool anyData = false;
    for (int t = toc.firstTrack; t <= toc.lastTrack; ++t) {
        toc.trackOffsets.push_back(cdio_get_track_lba(cdio, track_t(t)));
        const bool data = cdio_get_track_format(cdio, track_t(t)) != TRACK_FORMAT_AUDIO;
        toc.dataTrack.push_back(data);
        anyData = anyData || data;
    }
    toc.leadOut = cdio_get_track_lba(cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (!keepReadableTracks(toc, path, problem)) {
        cdio_destroy(cdio);
        return nullptr;
    }
    toc.text = readCdText(cdio, toc, !device);
    anyData = std::find(toc.dataTrack.begin(), toc.dataTrack.end(), true) != toc.dataTrack.end();
    for (int t = toc.firstTrack; t <= toc.lastTrack; ++t)
        disc->preEmphasis.push_back(!disc->isData(t) &&
                                    cdio_get_track_preemphasis(cdio, track_t(t)) ==
                                        CDIO_TRACK_FLAG_TRUE);
    if (anyData) {
        bool ok = false;
        disc->rootListing = isoRootFiles(cdio, &ok);
        if (!ok && problem)
            *problem = QStringLiteral("the data track of %1 holds no readable ISO 9660 file system")
                           .arg(path);
    } else {
        for (int t = toc.firstTrack; t <= toc.lastTrack; ++t)
            disc->rootListing << QStringLiteral("Track%1.cda").arg(t, 2, 10, QLatin1Char('0'));
    }
    // Never eject through an image handle: libcdio 2.1.0 then frees it twice.
    cdio_destroy(cdio);
    return disc;
}

std::shared_ptr<const Disc> Drive::disc() {
    const std::optional<MediumId> id = probe();
    std::lock_guard lock(m_mutex);
    if (!id) {
        m_cached.reset();
        m_failedId.reset();
        return nullptr;
    }
    if (m_cached && m_cached->id == *id)
        return m_cached;
    if (m_failedId && *m_failedId == *id)
        return nullptr;
    m_cached = load(*id);
    if (!m_cached)
        m_failedId = id;
    return m_cached;
}

std::unique_ptr<SectorReader> Drive::openReader(const Disc& disc, bool paranoia) const {
    routeCdioLog();
    CdIo_t* cdio =
        cdio_open(QFile::encodeName(disc.openPath).constData(), driver_id_t(disc.driver));
    if (!cdio)
        return nullptr;
    if (!paranoia && !disc.device)
        return std::make_unique<DirectReader>(cdio);
    cdrom_drive_t* drive = cdio_cddap_identify_cdio(cdio, CDDA_MESSAGE_FORGETIT, nullptr);
    if (!drive || cdio_cddap_open(drive) != 0) {
        if (drive)
            cdio_cddap_close_no_free_cdio(drive);
        cdio_destroy(cdio);
        return nullptr;
    }
    cdrom_paranoia_t* p = cdio_paranoia_init(drive);
    cdio_paranoia_modeset(p, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    return std::make_unique<ParanoiaReader>(cdio, drive, p);
}

DriveTable::DriveTable(const Options& options) {
    if (!options.appPath.isEmpty())
        readDrivesFile(options.appPath);
    if (options.realDrives)
        addRealDrives();
    if (m_drives.empty() && !options.demoTray.isEmpty() && QFileInfo(options.demoTray).isDir())
        m_usesDemoTray = addVirtualDrive('D', options.demoTray) != nullptr;
    for (const QString& p : m_problems)
        qCWarning(lcDrives) << p;
}

DriveTable::~DriveTable() = default;

Drive* DriveTable::find(std::string_view root) const {
    const char l = letterOf(root);
    for (const auto& d : m_drives)
        if (d->letter() == l)
            return d.get();
    return nullptr;
}

std::vector<Drive*> DriveTable::drives() const {
    std::vector<Drive*> out;
    for (const auto& d : m_drives)
        out.push_back(d.get());
    return out;
}

Drive* DriveTable::addVirtualDrive(char letter, const QString& path) {
    const char l = letterOf(std::string_view(&letter, 1));
    if (!l)
        return nullptr;
    std::erase_if(m_drives, [&](const auto& d) { return d->letter() == l; });
    auto drive = std::make_unique<VirtualDrive>(rootOf(l), QDir::cleanPath(path));
    Drive* raw = drive.get();
    m_drives.push_back(std::move(drive));
    std::sort(m_drives.begin(), m_drives.end(),
              [](const auto& a, const auto& b) { return a->letter() < b->letter(); });
    return raw;
}

// Lines "E:\=<path>"; "#" starts a comment line; a relative path is taken
// from the application path.
void DriveTable::readDrivesFile(const QString& appPath) {
    QFile f(appPath + '/' + drivesFileName);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    readDrivesText(f.readAll(), appPath);
}

namespace {

// The path of a drives file line "E:\=<path>" (blanks allowed around "=", the
// backslash left out), empty when the line is not one.
QString drivesLinePath(const QString& line) {
    const auto letter = [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    };
    if (line.size() < 3 || !letter(line[0]) || line[1] != u':')
        return {};
    qsizetype i = 2;
    if (line[i] == u'\\')
        ++i;
    while (i < line.size() && line[i].isSpace())
        ++i;
    if (i == line.size() || line[i] != u'=')
        return {};
    ++i;
    while (i < line.size() && line[i].isSpace())
        ++i;
    return line.mid(i);
}

} // namespace

void DriveTable::readDrivesText(const QByteArray& text, const QString& appPath) {
    QTextStream in(text);
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString raw = in.readLine();
        ++lineNo;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QString path = drivesLinePath(line);
        if (path.isEmpty()) {
            m_problems << QStringLiteral("%1 line %2: expected E:\\=<path>, found \"%3\"")
                              .arg(drivesFileName)
                              .arg(lineNo)
                              .arg(line);
            continue;
        }
        const char l = char(line[0].toUpper().toLatin1());
        if (find(std::string_view(&l, 1))) {
            m_problems << QStringLiteral("%1 line %2: drive %3:\\ is listed twice")
                              .arg(drivesFileName)
                              .arg(lineNo)
                              .arg(QChar(l));
            continue;
        }
        addVirtualDrive(l, QDir::isRelativePath(path) ? appPath + '/' + path : path);
    }
}

void DriveTable::addRealDrives() {
    routeCdioLog();
    char** devices = cdio_get_devices(DRIVER_DEVICE);
    if (!devices)
        return; // libcdio answers NULL, not an empty list, without drives
    QStringList nodes;
    for (char** d = devices; *d; ++d) {
        const QString canonical = QFileInfo(QFile::decodeName(*d)).canonicalFilePath();
        const QString node = canonical.isEmpty() ? QFile::decodeName(*d) : canonical;
        if (!nodes.contains(node))
            nodes << node;
    }
    cdio_free_device_list(devices);
    std::sort(nodes.begin(), nodes.end());
    char next = 'D';
    for (const QString& node : nodes) {
        while (next <= 'Z' && find(std::string_view(&next, 1)))
            ++next;
        if (next > 'Z')
            break;
        m_drives.push_back(std::make_unique<DeviceDrive>(rootOf(next), node));
        ++next;
    }
    std::sort(m_drives.begin(), m_drives.end(),
              [](const auto& a, const auto& b) { return a->letter() < b->letter(); });
}

std::uint32_t DriveTableServices::getDriveType(const std::string& root) {
    return m_table->find(root) ? cdrom : noRootDir;
}

std::optional<QStringList> DriveTableServices::listRoot(const std::string& root) {
    Drive* drive = m_table->find(root);
    if (!drive)
        return std::nullopt;
    if (!drive->probe())
        return QStringList();
    const auto disc = drive->disc();
    if (!disc)
        return std::nullopt;
    return disc->rootListing;
}

std::optional<DiscToc> DriveTableServices::readToc(const std::string& root) {
    Drive* drive = m_table->find(root);
    if (!drive)
        return std::nullopt;
    const auto disc = drive->disc();
    if (!disc)
        return std::nullopt;
    return disc->toc;
}

} // namespace vornap::platform
