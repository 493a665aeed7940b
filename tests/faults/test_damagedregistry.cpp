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

const std::string kVornapKey = "Software\\Dravelle Inc\\Vornap";

struct DamagedRegistry : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath("registry.json");
    FileRegistry reg{file};

    std::optional<std::string> text(std::uint32_t root, const std::string& key,
                                    const std::string& name) {
        const auto v = reg.queryValue(root, key, name);
        return v ? std::optional(v->data) : std::nullopt;
    }
    // The user's proxy and default-player values, as the program writes them.
    void userValues() {
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyAddress",
                                 {REG_SZ, "proxy.example.org"}));
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort", {REG_SZ, "3128"}));
        ASSERT_TRUE(reg.setValue(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play\\command", "VornapBack",
                                 {REG_SZ, "old-player %1"}));
    }
};

} // namespace

TEST_F(DamagedRegistry, EntriesOfTheWrongTypeAreLeftOutAndTheRestSurviveTheNextWrite) {
    const RobustnessRow row("Registry store with entries of the wrong type",
                            "The good values read, the bad ones are left out, the next write "
                            "keeps the good ones and the old file as .damaged");
    userValues();
    QByteArray bytes = readFile(file);
    // One value's type and one key's root go bad; everything else is intact.
    ASSERT_TRUE(bytes.contains("\"ProxyPort\""));
    bytes.replace("\"HKEY_CLASSES_ROOT\"", "[\"HKEY_CLASSES_ROOT\"]");
    const qsizetype port = bytes.indexOf("\"ProxyPort\"");
    const qsizetype type = bytes.indexOf("\"type\"", port);
    ASSERT_GT(type, 0);
    bytes.insert(type + 1, "not-");
    writeFile(file, bytes);

    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyAddress"), "proxy.example.org");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort"), std::nullopt);
    EXPECT_EQ(text(HKEY_CLASSES_ROOT, "AudioCD\\shell\\play\\command", "VornapBack"), std::nullopt);

    ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort", {REG_SZ, "8080"}));
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyAddress"), "proxy.example.org");
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort"), "8080");
    EXPECT_EQ(readFile(file + ".damaged"), bytes) << "what could not be read is kept for the user";
}

TEST_F(DamagedRegistry, AnUnreadableStoreReadsEmptyAndIsKeptAsideByTheNextWrite) {
    const RobustnessRow row("Registry store truncated, binary garbage, or JSON of another shape",
                            "Reads as empty, the next write keeps the old file as .damaged");
    userValues();
    const QByteArray good = readFile(file);
    const std::vector<QByteArray> damaged{
        good.left(good.size() / 2),
        good.left(good.size() - 3),
        QByteArray("\x7f\x45\x4c\x46\x02\x01\x00\x00\xff\xfe", 10).repeated(1000),
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":{\"root\":1}}"),
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":[1,\"x\",null,[[]]]}"),
        QByteArray("[").repeated(100000),
        QByteArray(),
        QByteArray("{\"format\":\"something-else\",\"keys\":[]}"),
        // Single entries of the wrong kind: an unknown root, a value that is not hex.
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":[{\"root\":\"HKEY_NOWHERE\","
                   "\"path\":\"K\"}]}"),
        QByteArray("{\"format\":\"vornap-registry\",\"keys\":[{\"root\":\"HKEY_CLASSES_ROOT\","
                   "\"path\":\"K\",\"values\":[{\"name\":\"\",\"type\":1,\"hex\":\"zz\"}]}]}"),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.left(40).toStdString());
        writeFile(file, bytes);
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyAddress"), std::nullopt);
        EXPECT_FALSE(reg.deleteValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyAddress"));
        ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort", {REG_SZ, "1"}));
        EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort"), "1");
        EXPECT_EQ(readFile(file + ".damaged"), bytes);
    }
}

TEST_F(DamagedRegistry, AHugeStoreIsNotReadIntoMemory) {
    const RobustnessRow row("Registry store of 64 MB",
                            "Not read (over 16 MB): reads as empty, the next write sets it aside");
    userValues();
    ASSERT_TRUE(QFile::resize(file, qint64(64) * 1024 * 1024));
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyAddress"), std::nullopt);
    ASSERT_TRUE(reg.setValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort", {REG_SZ, "1"}));
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort"), "1");
    EXPECT_EQ(QFileInfo(file + ".damaged").size(), qint64(64) * 1024 * 1024);
}

TEST_F(DamagedRegistry, AFullDiskKeepsTheStoreWhole) {
    const RobustnessRow row("Disk full while the registry store is saved",
                            "The old store stays whole, the write reports failure");
    userValues();
    const QByteArray before = readFile(file);
    {
        const FileSizeLimit full(rlim_t(before.size() / 2));
        EXPECT_FALSE(reg.setValue(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort", {REG_SZ, "9"}));
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(text(HKEY_LOCAL_MACHINE, kVornapKey, "ProxyPort"), "3128");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"registry.json"});
}
