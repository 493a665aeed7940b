#include "platform/registrystore.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap::platform;
using vornap::test::readFile;

namespace {

const std::string kOwnKey = "Software\\Dravelle Inc\\Vornap";

struct RegistryStore : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("config/vornap/registry.json");
    FileRegistry reg{file};

    std::string data(std::uint32_t root, const std::string& key, const std::string& name) {
        const auto v = reg.queryValue(root, key, name);
        return v ? v->data : "(absent)";
    }
};

} // namespace

TEST_F(RegistryStore, ValuesKeepTheirTypeAndExactBytesAcrossInstances) {
    struct Entry {
        std::uint32_t root;
        std::string key, name;
        Registry::Value value;
    };
    const Entry entries[] = {
        {HKEY_CLASSES_ROOT,
         "AudioCD\\shell\\play\\command",
         "",
         {REG_SZ, std::string("C:\\x\0tail\0", 10)}},
        {HKEY_CLASSES_ROOT,
         "AudioCD\\shell\\play\\command",
         "Bin",
         {REG_BINARY, std::string("\xff\xfe\x00\x80 ", 5)}},
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
}

TEST_F(RegistryStore, NamesIgnoreCaseKeepTheirFirstSpellingAndRootsAreSeparate) {
    reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\Shell\\Play\\Command", "VornapBack", {REG_SZ, "a"});
    reg.setValue(HKEY_CLASSES_ROOT, "audiocd\\shell\\play\\command", "vornapback", {REG_SZ, "b"});
    EXPECT_EQ(data(HKEY_CLASSES_ROOT, "AUDIOCD\\SHELL\\PLAY\\COMMAND", "VORNAPBACK"), "b");
    EXPECT_TRUE(readFile(file).contains("AudioCD\\\\Shell\\\\Play\\\\Command"));
    EXPECT_TRUE(readFile(file).contains("\"VornapBack\""));

    reg.setValue(HKEY_LOCAL_MACHINE, "AudioCD\\Shell\\Play\\Command", "VornapBack",
                 {REG_SZ, "machine"});
    EXPECT_EQ(data(HKEY_CLASSES_ROOT, "AudioCD\\Shell\\Play\\Command", "VornapBack"), "b");
    EXPECT_EQ(data(HKEY_LOCAL_MACHINE, "AudioCD\\Shell\\Play\\Command", "VornapBack"), "machine");
    EXPECT_EQ(data(HKEY_CURRENT_USER, "AudioCD\\Shell\\Play\\Command", "VornapBack"), "(absent)");
}

TEST_F(RegistryStore, MissingKeysAndValuesAreAbsentAndDeletingThemChangesNothing) {
    EXPECT_FALSE(reg.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(reg.deleteValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(QFile::exists(file));
    reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", "keep", {REG_SZ, "x"});
    const QByteArray before = readFile(file);
    EXPECT_FALSE(reg.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(reg.deleteValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", "other"));
    EXPECT_EQ(readFile(file), before);
}

TEST_F(RegistryStore, WritesLeaveNoTemporaryFilesAndAnUnwritableStoreRefusesQuietly) {
    for (int i = 0; i < 20; ++i)
        reg.setValue(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort", {REG_SZ, std::to_string(i)});
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"registry.json"});
    EXPECT_EQ(data(HKEY_LOCAL_MACHINE, kOwnKey, "ProxyPort"), "19");

    // A file where its directory should be.
    FileRegistry unwritable(file + "/registry.json");
    EXPECT_FALSE(unwritable.setValue(HKEY_CLASSES_ROOT, "K", "", {REG_SZ, "x"}));
    EXPECT_FALSE(unwritable.queryValue(HKEY_CLASSES_ROOT, "K", ""));
}

TEST(RegistryStorePath, TheEnvironmentChoosesTheFileElseTheUsersConfigDirectory) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qunsetenv("VORNAP_REGISTRY");
    EXPECT_EQ(FileRegistry::defaultPath(), config.filePath("vornap/registry.json"));
    qputenv("VORNAP_REGISTRY", "/tmp/elsewhere/reg.json");
    EXPECT_EQ(FileRegistry::defaultPath(), "/tmp/elsewhere/reg.json");
    qunsetenv("VORNAP_REGISTRY");
    qunsetenv("XDG_CONFIG_HOME");
}
