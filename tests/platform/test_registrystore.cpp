#include "platform/registrystore.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap::platform;

namespace {

struct RegistryStore : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("config/vornap/registry.json");
    FileRegistry reg{file};

    static Registry::Value value(std::uint32_t type, const std::string& data) {
        return {type, data};
    }
    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).absolutePath());
        vornap::test::writeFile(file, bytes);
    }
    QByteArray fileBytes() const { return vornap::test::readFile(file); }
};

} // namespace

TEST_F(RegistryStore, ValuesKeepTheirTypeAndExactBytesAcrossInstances) {
    const std::string withNul("C:\\x\0tail\0", 10);
    const std::string binary("\xff\xfe\x00\x80 ", 5);
    const std::string utf8 = "Caf\xc3\xa9 \xe2\x99\xaa";
    ASSERT_TRUE(reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play\\command", "",
                             value(REG_SZ, withNul)));
    ASSERT_TRUE(reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play\\command", "Bin",
                             value(REG_BINARY, binary)));
    ASSERT_TRUE(
        reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", "", value(REG_EXPAND_SZ, utf8)));
    ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, "Software\\Dravelle Inc\\Vornap", "ProxyPort",
                             value(REG_DWORD, std::string("\x50\x00\x00\x00", 4))));

    FileRegistry again(file);
    auto v = again.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play\\command", "");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_SZ);
    EXPECT_EQ(v->data, withNul);
    v = again.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play\\command", "Bin");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_BINARY);
    EXPECT_EQ(v->data, binary);
    v = again.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", "");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_EXPAND_SZ);
    EXPECT_EQ(v->data, utf8);
    v = again.queryValue(HKEY_LOCAL_MACHINE, "Software\\Dravelle Inc\\Vornap", "ProxyPort");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_DWORD);
    EXPECT_EQ(v->data, std::string("\x50\x00\x00\x00", 4));
}

TEST_F(RegistryStore, NamesIgnoreLetterCaseButKeepTheirFirstSpelling) {
    reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\Shell\\Play\\Command", "VornapBack",
                 value(REG_SZ, "a"));
    reg.setValue(HKEY_CLASSES_ROOT, "audiocd\\shell\\play\\command", "vornapback",
                 value(REG_SZ, "b"));
    const auto v = reg.queryValue(HKEY_CLASSES_ROOT, "AUDIOCD\\SHELL\\PLAY\\COMMAND", "VORNAPBACK");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->data, "b");
    EXPECT_TRUE(fileBytes().contains("AudioCD\\\\Shell\\\\Play\\\\Command"));
    EXPECT_TRUE(fileBytes().contains("\"VornapBack\""));
}

TEST_F(RegistryStore, RootsAreSeparateTrees) {
    reg.setValue(HKEY_CLASSES_ROOT, "Software\\X", "v", value(REG_SZ, "classes"));
    reg.setValue(HKEY_LOCAL_MACHINE, "Software\\X", "v", value(REG_SZ, "machine"));
    EXPECT_EQ(reg.queryValue(HKEY_CLASSES_ROOT, "Software\\X", "v")->data, "classes");
    EXPECT_EQ(reg.queryValue(HKEY_LOCAL_MACHINE, "Software\\X", "v")->data, "machine");
    EXPECT_FALSE(reg.queryValue(HKEY_CURRENT_USER, "Software\\X", "v"));
}

TEST_F(RegistryStore, MissingKeysAndValuesAreAbsentAndDeletingThemChangesNothing) {
    EXPECT_FALSE(reg.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(reg.deleteValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(QFile::exists(file));
    reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", "keep", value(REG_SZ, "x"));
    const QByteArray before = fileBytes();
    EXPECT_FALSE(reg.queryValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", ""));
    EXPECT_FALSE(reg.deleteValue(HKEY_CLASSES_ROOT, "AudioCD\\DefaultIcon", "other"));
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(RegistryStore, ADamagedFileReadsAsEmptyAndIsKeptAsideOnTheNextWrite) {
    const QByteArray damaged[] = {
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":[{\"root\":\"HKEY_CLASSES_ROOT\""),
        QByteArray("\x00\x01\x02garbage\xff", 11),
        QByteArray("[1,2,3]"),
        QByteArray("{\"format\":\"something-else\",\"keys\":[]}"),
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":[{\"root\":\"HKEY_NOWHERE\",\"path\":"
                   "\"K\"}]}"),
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":[{\"root\":\"HKEY_CLASSES_ROOT\","
                   "\"path\":\"K\","
                   "\"values\":[{\"name\":\"\",\"type\":1,\"hex\":\"zz\"}]}]}"),
        QByteArray(""),
    };
    for (const QByteArray& bytes : damaged) {
        writeFile(bytes);
        EXPECT_FALSE(reg.queryValue(HKEY_CLASSES_ROOT, "K", "")) << bytes.constData();
        EXPECT_FALSE(reg.deleteValue(HKEY_CLASSES_ROOT, "K", ""));
        ASSERT_TRUE(reg.setValue(HKEY_CLASSES_ROOT, "K", "", value(REG_SZ, "fresh")));
        EXPECT_EQ(reg.queryValue(HKEY_CLASSES_ROOT, "K", "")->data, "fresh");
        QFile kept(file + ".damaged");
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bytes);
    }
}

TEST_F(RegistryStore, WritesLeaveNoTemporaryFilesBehind) {
    for (int i = 0; i < 20; ++i)
        reg.setValue(HKEY_LOCAL_MACHINE, "Software\\Dravelle Inc\\Vornap", "ProxyPort",
                     value(REG_SZ, std::to_string(i)));
    const QStringList entries =
        QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(entries, QStringList{"registry.json"});
    EXPECT_EQ(
        reg.queryValue(HKEY_LOCAL_MACHINE, "Software\\Dravelle Inc\\Vornap", "ProxyPort")->data,
        "19");
}

TEST_F(RegistryStore, AStoreThatCannotBeWrittenRefusesQuietly) {
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FileRegistry unwritable(dir.filePath("blocker/registry.json"));
    EXPECT_FALSE(unwritable.setValue(HKEY_CLASSES_ROOT, "K", "", value(REG_SZ, "x")));
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
