#include "options/options.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "options/fieldreader.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <array>

namespace vornap {

namespace {

constexpr int kFieldCount = 22;

struct Item {
    String Variables::*header;
    String Variables::*value;
    const char* comment;
};

// The file's order: comment of item 1, value of item 1, comment of item 2, ...
const std::array<Item, 11> kItems{{
    {&Variables::sHdrCDDrives, &Variables::sCDDrives, "//CD-ROM Drives in Computer"},
    {&Variables::sHdrCDDrive, &Variables::sCDDrive, "//CD-ROM Drive to Use"},
    {&Variables::sHdrPlayOnStart, &Variables::sPlayOnStart, "//Play On Startup"},
    {&Variables::sHdrSkinDir, &Variables::sSkinDir, "//Skin Directory"},
    {&Variables::sHdrUseCDDB, &Variables::sUseCDDB, "//Use CDDB"},
    {&Variables::sHdrCDDBOnStart, &Variables::sCDDBOnStart, "//Activate CDDB on Startup"},
    {&Variables::sHdrCDDBServer, &Variables::sCDDBServer, "//CDDB Server"},
    {&Variables::sHdrCDDBEmail, &Variables::sCDDBEmail, "//Email Address for CDDB"},
    {&Variables::sHdrTimerSetting, &Variables::sTimerSetting, "//Timer Setting (0=Bwd 1=Fwd)"},
    {&Variables::sHdrSysTrayOnly, &Variables::sSysTrayOnly, "//System Tray Only"},
    {&Variables::sHdrIconNum, &Variables::sIconNum, "//IconNum"},
}};

// What a first run starts from: the drive and the skin directory are left
// empty, drive discovery and SetSkin fill them in and save.
const std::array<const char*, 11> kDefaults{"", "",  "0", "",   "0", "0", "gnudb.gnudb.org",
                                            "", "1", "0", "102"};

QByteArray recordLine(const std::array<QString, kFieldCount>& fields) {
    QByteArray line;
    for (int i = 0; i < kFieldCount; ++i) {
        if (i > 0)
            line += ',';
        // A double quote would end the field early and shift every field after
        // it; the format has no way to hold one, so it is left out.
        line += '"' + fields[std::size_t(i)].toLocal8Bit().replace('"', QByteArray()) + '"';
    }
    return line + "\r\n";
}

// Replaces the file as a whole: the record goes to a temporary file beside
// it, which is renamed over the old one only once it is completely on disk.
void writeRecord(const QString& path, const std::array<QString, kFieldCount>& fields) {
    const QFileInfo info(path);
    if (!info.dir().exists())
        throw errors::pathNotFound();
    if (info.exists() && (info.isDir() || !info.isWritable()))
        throw errors::permissionDenied();
    QSaveFile file(path);
    // Unbuffered, a short write on a full disk shows in write()'s count: a
    // buffered QSaveFile loses it and commits the cut record.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw errors::permissionDenied();
    const QByteArray line = recordLine(fields);
    if (file.write(line) != line.size()) {
        file.cancelWriting();
        throw errors::diskFull();
    }
    if (!file.commit())
        throw errors::diskFull();
}

std::array<QString, kFieldCount> fieldsOf(const Variables& v) {
    std::array<QString, kFieldCount> fields;
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        fields[2 * i] = v.*kItems[i].header;
        fields[2 * i + 1] = v.*kItems[i].value;
    }
    return fields;
}

void createDefaultFile(const QString& path) {
    std::array<QString, kFieldCount> fields;
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        fields[2 * i] = QString::fromLatin1(kItems[i].comment);
        fields[2 * i + 1] = QString::fromLatin1(kDefaults[i]);
    }
    writeRecord(path, fields);
}

// The value of item n/2 (n even); a file cut short before it holds what a
// new file would.
String readField(Application& app, int n) {
    FieldReader reader = FieldReader::open(optionsFilePath(app));
    for (int i = 1; i < n && !reader.atEnd(); ++i)
        app.v.sDummy = reader.input();
    return reader.atEnd() ? QString::fromLatin1(kDefaults[std::size_t(n / 2 - 1)]) : reader.input();
}

} // namespace

QString optionsFilePath(const Application& app) {
    return app.appPath() + QStringLiteral("/VornapOptions.dat");
}

void CheckOptions(Application& app) {
    Variables& v = app.v;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("CheckOptions_01");
        for (const Item& item : kItems)
            v.*item.header = QString::fromLatin1(item.comment);

        v.ErrorTag = QStringLiteral("CheckOptions_02");
        const QString path = optionsFilePath(app);
        // No installer places the file, so the first run does it. A file that
        // exists is never replaced here, whatever state it is in.
        if (!QFileInfo::exists(path))
            createDefaultFile(path);
        FieldReader reader = FieldReader::open(path);
        ReadOptions(v, reader);
    });
}

QByteArray OptionsRecord(const Variables& v) {
    return recordLine(fieldsOf(v));
}

void ReadOptions(Variables& v, FieldReader& reader) {
    // A file cut short (an older version's, a disk that filled up) keeps what
    // it holds; the items it lost take a new file's values, and the next save
    // writes them all.
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        v.sDummy = reader.atEnd() ? QString() : reader.input();
        v.*kItems[i].value = reader.atEnd() ? QString::fromLatin1(kDefaults[i]) : reader.input();
    }
}

void SaveOptions(Application& app) {
    Variables& v = app.v;
    guarded(app, [&] {
        v.ErrorTag = QStringLiteral("SaveOptions_01");
        // A file that cannot be replaced keeps its old record whole; the
        // player goes on with the settings in memory and says so.
        try {
            writeRecord(optionsFilePath(app), fieldsOf(v));
        } catch (const RuntimeError& e) {
            app.platform.messageBox->show(app.cd, saveFailureText(app, e.description()),
                                          QStringLiteral("Vornap"));
        }
    });
}

QString saveFailureText(const Application& app, const QString& description) {
    return QStringLiteral("Your settings could not be saved (%1).\r%2 keeps the settings it "
                          "had before.")
        .arg(description, QDir::toNativeSeparators(optionsFilePath(app)));
}

String storedDriveToUse(Application& app) {
    return readField(app, 4);
}

String storedEmailAddress(Application& app) {
    return readField(app, 16);
}

} // namespace vornap
