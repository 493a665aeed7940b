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

struct RegistryStore : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("config/vornap/registry.json");
    FileRegistry reg{file};

    std::optional<std::string> text(std::uint32_t root, const std::string& key,
                                    const std::string& name) {
        const auto v = reg.queryValue(root, key, name);
        return v ? std::optional(v->data) : std::nullopt;
    }
    // The user's proxy and default-player values, as the program writes them.
    void userValues() {
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress",
                                 {REG_SZ, "proxy.example.org"}));
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "3128"}));
        ASSERT_TRUE(
            reg.setValue(HKEY_CLASSES_ROOT, kPlayKey, "VornapBack", {REG_SZ, "old-player %1"}));
    }
};

} // namespace

TEST_F(RegistryStore, ValuesKeepTypeAndBytesNamesIgnoreCaseAndRootsAreSeparate) {
    struct Entry {
        std::uint32_t root;
        std::string key, name;
        Registry::Value value;
    };
    const Entry entries[] = {
        {HKEY_CLASSES_ROOT, kPlayKey, "", {REG_SZ, std::string("C:\\x\0tail\0", 10)}},
        {HKEY_CLASSES_ROOT, kPlayKey, "Bin", {REG_BINARY, std::string("\xff\xfe\x00\x80 ", 5)}},
        {HKEY_CLASSES_ROOT,
         "AudioCD\\DefaultIcon",
         "",
         {REG_EXPAND_SZ, "Caf\xc3\xa9 \xe2\x99\xaa"}},
        {HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_DWORD, std::string("\x50\x00\x00\x00", 4)}},
    };
    for (const Entry& e : entries)
        ASSERT_TRUE(reg.setValue(e.root, e.key, e.name, e.value));
    FileRegistry again(file);
    for (const Entry& e : entries) {
        const auto v = again.queryValue(e.root, e.key, e.name);
        ASSERT_TRUE(v) << e.key << ' ' << e.name;
        EXPECT_EQ(v->type, e.value.type) << e.key << ' ' << e.name;
        EXPECT_EQ(v->data, e.value.data) << e.key << ' ' << e.name;
    }

    // The first spelling stays in the file; any case finds it; roots are apart.
    reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\Shell\\Play\\Command", "VornapBack", {REG_SZ, "a"});
    reg.setValue(HKEY_CLASSES_ROOT, "audiocd\\shell\\play\\command", "vornapback", {REG_SZ, "b"});
    reg.setValue(HKEY_LOCAL_MACHINE, kPlayKey, "VornapBack", {REG_SZ, "machine"});
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "AUDIOCD\\SHELL\\PLAY\\COMMAND", "VORNAPBACK"), "b");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kPlayKey, "VornapBack"), "machine");
    EXPECT_EQ(text(HKEY_CURRENT_USER, kPlayKey, "VornapBack"), std::nullopt);
    EXPECT_TRUE(readFile(file).contains("\"VornapBack\""));
}

TEST_F(RegistryStore, MissingValuesAreAbsentAndWritesLeaveNothingBeside) {
    EXPECT_FALSE(reg.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(reg.deleteValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(QFile::exists(file));
    for (int i = 0; i < 20; ++i)
        reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, std::to_string(i)});
    const QByteArray before = readFile(file);
    EXPECT_FALSE(reg.deleteValue(HKEY_LOCAL_MACHINE, kOwnKey, "other"));
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"registry.json"});
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "19");

    // A file where its directory should be.
    FileRegistry unwritable(file + "/registry.json");
    EXPECT_FALSE(unwritable.setValue(HKEY_CLASSES_ROOT, "K", "", {REG_SZ, "x"}));
    EXPECT_FALSE(unwritable.queryValue(HKEY_CLASSES_ROOT, "K", ""));

    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    EXPECT_EQ(FileRegistry::defaultPath(), config.filePath("vornap/registry.json"));
    qputenv("VORNAP_REGISTRY", "/tmp/elsewhere/reg.json");
    EXPECT_EQ(FileRegistry::defaultPath(), "/tmp/elsewhere/reg.json");
    qunsetenv("VORNAP_REGISTRY");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryStore, EntriesOfTheWrongTypeAreLeftOutAndTheRestSurviveTheNextWrite) {
    const RobustnessRow row("Registry store with entries of the wrong type",
                            "The good values read, the bad ones are left out, the next write "
                            "keeps the good ones and the old file as .damaged");
    userValues();
    QByteArray bytes = readFile(file);
    // One value's type and one key's root go bad; everything else is intact.
    bytes.replace("\"HKEY_CLASSES_ROOT\"", "[\"HKEY_CLASSES_ROOT\"]");
    const qsizetype type = bytes.indexOf("\"type\"", bytes.indexOf("\"ProxyPort\""));
    ASSERT_GT(type, 0);
    bytes.insert(type + 1, "not-");
    writeFile(file, bytes);

    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress"), "proxy.example.org");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), std::nullopt);
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, kPlayKey, "VornapBack"), std::nullopt);
    ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "8080"}));
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress"), "proxy.example.org");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "8080");
    EXPECT_EQ(readFile(file + ".damaged"), bytes) << "what could not be read is kept for the user";
}

TEST_F(RegistryStore, AnUnreadableStoreReadsEmptyAndIsKeptAsideByTheNextWrite) {
    const RobustnessRow row("Registry store truncated, binary garbage, or JSON of another shape",
                            "Reads as empty, the next write keeps the old file as .damaged");
    const RobustnessRow huge("Registry store of 64 MB",
                             "Not read (over 16 MB): reads as empty, the next write sets it aside");
    userValues();
    const QByteArray good = readFile(file);
    const QByteArray head = "{\"format\":\"vornap-registry\",\"keys\":";
    const std::vector<QByteArray> damaged{
        good.left(good.size() / 2),
        good.left(good.size() - 3),
        QByteArray("\x7f\x45\x4c\x46\x02\x01\x00\x00\xff\xfe", 10).repeated(1000),
        head + "{\"root\":1}}",
        head + "[1,\"x\",null,[[]]]}",
        QByteArray("[").repeated(100000),
        QByteArray(),
        QByteArray("{\"format\":\"something-else\",\"keys\":[]}"),
        // Single entries of the wrong kind: an unknown root, a value that is not hex.
        head + "[{\"root\":\"HKEY_NOWHERE\",\"path\":\"K\"}]}",
        head + "[{\"root\":\"HKEY_CLASSES_ROOT\",\"path\":\"K\",\"values\":[{\"name\":\"\","
               "\"type\":1,\"hex\":\"zz\"}]}]}",
        good + QByteArray(64 * 1024 * 1024, ' '),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.left(40).toStdString());
        writeFile(file, bytes);
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress"), std::nullopt);
        EXPECT_FALSE(reg.deleteValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress"));
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "1"}));
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "1");
        EXPECT_EQ(QFileInfo(file + ".damaged").size(), bytes.size());
        EXPECT_TRUE(readFile(file + ".damaged") == bytes);
    }
}

TEST_F(RegistryStore, AFullDiskKeepsTheStoreWhole) {
    const RobustnessRow row("Disk full while the registry store is saved",
                            "The old store stays whole, the write reports failure");
    userValues();
    const QByteArray before = readFile(file);
    {
        const FileSizeLimit full(rlim_t(before.size() / 2));
        EXPECT_FALSE(reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, "9"}));
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "3128");
    EXPECT_EQ(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"registry.json"});
}
