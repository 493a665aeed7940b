#include "platform/registrystore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <map>

namespace vornap::platform {

namespace {

constexpr auto kFormat = "vornap-registry";
constexpr int kVersion = 1;
// Far beyond anything the player writes; a larger file is not ours.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

const std::map<std::uint32_t, QString> kRootNames{
    {0x80000000u, QStringLiteral("HKEY_CLASSES_ROOT")},
    {0x80000001u, QStringLiteral("HKEY_CURRENT_USER")},
    {0x80000002u, QStringLiteral("HKEY_LOCAL_MACHINE")},
    {0x80000003u, QStringLiteral("HKEY_USERS")},
    {0x80000005u, QStringLiteral("HKEY_CURRENT_CONFIG")},
};

QString rootName(std::uint32_t root) {
    const auto it = kRootNames.find(root);
    if (it != kRootNames.end())
        return it->second;
    return QStringLiteral("0x%1").arg(root, 8, 16, QLatin1Char('0'));
}

std::optional<std::uint32_t> rootFromName(const QString& name) {
    for (const auto& [root, known] : kRootNames)
        if (known == name)
            return root;
    bool ok = false;
    const uint value = name.startsWith(QLatin1String("0x")) ? name.mid(2).toUInt(&ok, 16) : 0;
    return ok ? std::optional<std::uint32_t>(value) : std::nullopt;
}

std::string folded(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

struct StoredValue {
    std::string name; // as first written
    Registry::Value value;
};

struct StoredKey {
    std::uint32_t root = 0;
    std::string path;                          // as first written
    std::map<std::string, StoredValue> values; // by folded name
};

using Store = std::map<std::pair<std::uint32_t, std::string>, StoredKey>; // by folded path

QByteArray fromStd(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}
std::string toStd(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

// Text stays readable in the file; bytes that are not UTF-8 go as hex.
QJsonObject encodeValue(const StoredValue& v) {
    QJsonObject o;
    o[QStringLiteral("name")] = QString::fromUtf8(fromStd(v.name));
    o[QStringLiteral("type")] = qint64(v.value.type);
    const QByteArray data = fromStd(v.value.data);
    const QString text = QString::fromUtf8(data);
    if (text.toUtf8() == data)
        o[QStringLiteral("text")] = text;
    else
        o[QStringLiteral("hex")] = QString::fromLatin1(data.toHex());
    return o;
}

std::optional<StoredValue> decodeValue(const QJsonValue& json) {
    const QJsonObject o = json.toObject();
    const QJsonValue name = o.value(QLatin1String("name"));
    const QJsonValue type = o.value(QLatin1String("type"));
    if (!name.isString() || !type.isDouble() || type.toDouble() < 0 ||
        type.toDouble() > 0xFFFFFFFFu)
        return std::nullopt;
    StoredValue v;
    v.name = toStd(name.toString().toUtf8());
    v.value.type = std::uint32_t(type.toDouble());
    if (o.value(QLatin1String("text")).isString()) {
        v.value.data = toStd(o.value(QLatin1String("text")).toString().toUtf8());
    } else if (o.value(QLatin1String("hex")).isString()) {
        const QByteArray hex = o.value(QLatin1String("hex")).toString().toLatin1();
        const QByteArray raw = QByteArray::fromHex(hex);
        if (raw.toHex() != hex.toLower())
            return std::nullopt;
        v.value.data = toStd(raw);
    } else {
        return std::nullopt;
    }
    return v;
}

struct Loaded {
    Store store;
    bool damaged = false;
};

Loaded load(const QString& path) {
    Loaded result;
    QFile file(path);
    if (!file.exists())
        return result;
    result.damaged = true;
    if (file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return result;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject top = doc.object();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        top.value(QLatin1String("format")).toString() != QLatin1String(kFormat) ||
        !top.value(QLatin1String("keys")).isArray())
        return result;

    // Entries that cannot be read are left out, the rest are kept: the next
    // write then loses only what was already lost.
    bool anyBad = false;
    for (const QJsonValue& k : top.value(QLatin1String("keys")).toArray()) {
        const QJsonObject o = k.toObject();
        const auto root = rootFromName(o.value(QLatin1String("root")).toString());
        const QJsonValue path = o.value(QLatin1String("path"));
        if (!root || !path.isString()) {
            anyBad = true;
            continue;
        }
        StoredKey& key = result.store[{*root, folded(toStd(path.toString().toUtf8()))}];
        if (key.path.empty()) {
            key.root = *root;
            key.path = toStd(path.toString().toUtf8());
        }
        const QJsonValue values = o.value(QLatin1String("values"));
        if (!values.isArray() && !values.isUndefined())
            anyBad = true;
        for (const QJsonValue& jv : values.toArray()) {
            auto v = decodeValue(jv);
            if (!v) {
                anyBad = true;
                continue;
            }
            key.values[folded(v->name)] = std::move(*v);
        }
    }
    result.damaged = anyBad;
    return result;
}

bool save(const QString& path, const Store& store, bool replacingDamaged) {
    QJsonArray keys;
    for (const auto& [id, key] : store) {
        QJsonArray values;
        for (const auto& [name, v] : key.values)
            values.append(encodeValue(v));
        QJsonObject o;
        o[QStringLiteral("root")] = rootName(key.root);
        o[QStringLiteral("path")] = QString::fromUtf8(fromStd(key.path));
        o[QStringLiteral("values")] = values;
        keys.append(o);
    }
    QJsonObject top;
    top[QStringLiteral("format")] = QString::fromLatin1(kFormat);
    top[QStringLiteral("version")] = kVersion;
    top[QStringLiteral("keys")] = keys;

    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    if (replacingDamaged) {
        const QString keep = path + QStringLiteral(".damaged");
        QFile::remove(keep);
        QFile::copy(path, keep);
    }
    QSaveFile file(path);
    // Unbuffered, so a short write on a full disk is seen before the commit.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray text = QJsonDocument(top).toJson(QJsonDocument::Indented);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

FileRegistry::FileRegistry(QString path) : m_path(std::move(path)) {
}

QString FileRegistry::defaultPath() {
    const QString fromEnvironment = qEnvironmentVariable("VORNAP_REGISTRY");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // Without a home there is no configuration directory; never fall back to "/".
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vornap/registry.json");
}

std::optional<Registry::Value> FileRegistry::queryValue(std::uint32_t root,
                                                        const std::string& keyPath,
                                                        const std::string& valueName) {
    const Store store = load(m_path).store;
    const auto key = store.find({root, folded(keyPath)});
    if (key == store.end())
        return std::nullopt;
    const auto value = key->second.values.find(folded(valueName));
    if (value == key->second.values.end())
        return std::nullopt;
    return value->second.value;
}

bool FileRegistry::setValue(std::uint32_t root, const std::string& keyPath,
                            const std::string& valueName, const Value& value) {
    Loaded loaded = load(m_path);
    StoredKey& key = loaded.store[{root, folded(keyPath)}];
    if (key.path.empty() && key.values.empty()) {
        key.root = root;
        key.path = keyPath;
    }
    StoredValue& stored = key.values[folded(valueName)];
    if (stored.name.empty())
        stored.name = valueName;
    stored.value = value;
    return save(m_path, loaded.store, loaded.damaged);
}

bool FileRegistry::deleteValue(std::uint32_t root, const std::string& keyPath,
                               const std::string& valueName) {
    Loaded loaded = load(m_path);
    const auto key = loaded.store.find({root, folded(keyPath)});
    if (key == loaded.store.end() || key->second.values.erase(folded(valueName)) == 0)
        return false;
    return save(m_path, loaded.store, loaded.damaged);
}

} // namespace vornap::platform
