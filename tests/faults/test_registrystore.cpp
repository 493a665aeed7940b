#include "faults/oslimits.h"
#include "faults/robustnessrow.h"
#include "platform/registrystore.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap::platform;
using namespace vornap::test;

namespace {

const std::string kOwnKey = "Software\\Dravelle Inc\\Vornap";
const std::string kPlayKey = "AudioCD\\shell\\play\\command";

// The store file; what any damaged store does with a write is also checked by
// the registrystore fuzz target.
struct RegistryStore : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("config/vornap/registry.json");
    FileRegistry reg{file};

    std::optional<std::string> text(std::uint32_t root, const std::string& key,
                                    const std::string& name) {
        const auto v = reg.queryValue(root, key, name);
        return v ? std::optional(v->data) : std::nullopt;
    }
    QStringList filesBeside() const {
        return QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden);
    }
};

} // namespace

// Values keep type and bytes through the file: RegStrings in options/ and
// the fuzz target.
TEST_F(RegistryStore, NamesIgnoreCaseRootsAreSeparateAndTheFileIsWhereTheUserLooks) {
    // Any case finds a value; roots are apart.
    reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\Shell\\Play\\Command", "VornapBack", {REG_SZ, "a"});
    reg.setValue(HKEY_CLASSES_ROOT, "audiocd\\shell\\play\\command", "vornapback", {REG_SZ, "b"});
    reg.setValue(HKEY_LOCAL_MACHINE, kPlayKey, "VornapBack", {REG_SZ, "machine"});
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "AUDIOCD\\SHELL\\PLAY\\COMMAND", "VORNAPBACK"), "b");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kPlayKey, "VornapBack"), "machine");
    EXPECT_EQ(text(HKEY_CURRENT_USER, kPlayKey, "VornapBack"), std::nullopt);
    EXPECT_EQ(filesBeside(), QStringList{"registry.json"}) << "no temporary file left";
    // A file where its directory should be.
    EXPECT_FALSE(FileRegistry(file + "/registry.json").setValue(HKEY_CLASSES_ROOT, "K", "", {}));

    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    EXPECT_EQ(FileRegistry::defaultPath(), config.filePath("vornap/registry.json"));
    qputenv("VORNAP_REGISTRY", "/tmp/elsewhere/reg.json");
    EXPECT_EQ(FileRegistry::defaultPath(), "/tmp/elsewhere/reg.json");
    qunsetenv("VORNAP_REGISTRY");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryStore, ADamagedStoreReadsWhatItCanAndIsKeptAsideByTheNextWrite) {
    const RobustnessRow rows[] = {
        {"Registry store with entries of the wrong type",
         "The good values read, the bad ones are left out, the next write keeps the good ones and "
         "the old file as .damaged"},
        {"Registry store truncated, binary garbage, or JSON of another shape",
         "Reads as empty, the next write keeps the old file as .damaged"},
        {"Registry store of 64 MB",
         "Not read (over 16 MB): reads as empty, the next write sets it aside"},
    };
    ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress", {REG_SZ, "proxy"}));
    ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "3128"}));
    ASSERT_TRUE(reg.setValue(HKEY_CLASSES_ROOT, kPlayKey, "VornapBack", {REG_SZ, "old %1"}));
    const QByteArray good = readFile(file);
    // One value's type and one key's root gone bad; everything else intact.
    QByteArray wrongType = good;
    wrongType.replace("\"HKEY_CLASSES_ROOT\"", "[\"HKEY_CLASSES_ROOT\"]");
    wrongType.insert(wrongType.indexOf("\"type\"", wrongType.indexOf("\"ProxyPort\"")) + 1, "not-");
    const std::vector<std::pair<QByteArray, std::optional<std::string>>> damaged{
        {wrongType, "proxy"},
        {good.left(good.size() / 2), {}},
        {QByteArray("\x7f\x45\x4c\x46\x02\x01\x00\x00\xff\xfe", 10).repeated(1000), {}},
        {QByteArray("[").repeated(100000), {}},
        {"{\"format\":\"something-else\",\"keys\":[]}", {}},
        {good + QByteArray(64 * 1024 * 1024, ' '), {}},
    };
    for (const auto& [bytes, address] : damaged) {
        SCOPED_TRACE(bytes.left(40).toStdString());
        writeFile(file, bytes);
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress"), address);
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), std::nullopt);
        EXPECT_EQ(text(HKEY_CLASSES_ROOT, kPlayKey, "VornapBack"), std::nullopt);
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "1"}));
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "1");
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress"), address);
        EXPECT_TRUE(readFile(file + ".damaged") == bytes) << "kept for the user";
    }

    const RobustnessRow full("Disk full while the registry store is saved",
                             "The old store stays whole, the write reports failure");
    writeFile(file, good);
    {
        const FileSizeLimit limit(rlim_t(good.size() / 2));
        EXPECT_FALSE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "9"}));
    }
    EXPECT_EQ(readFile(file), good);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "3128");
    EXPECT_EQ(filesBeside(), (QStringList{"registry.json", "registry.json.damaged"}));
}
