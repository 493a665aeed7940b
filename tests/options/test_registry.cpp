#include "options/registry.h"
#include "platform/registrystore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::platform;

namespace {

const QString kCommand = QStringLiteral("AudioCD\\shell\\play\\command");
const QString kOwnKey = QStringLiteral("Software\\Dravelle Inc\\Vornap");

// The string helpers over the real file-backed store.
struct RegStrings : ::testing::Test {
    QTemporaryDir dir;
    FileRegistry reg{dir.filePath("registry.json")};

    void store(std::uint32_t type, const std::string& data) {
        reg.setValue(HKEY_CLASSES_ROOT, kCommand.toStdString(), "", {type, data});
    }
    QString read() { return GetRegString(reg, HKEY_CLASSES_ROOT, kCommand, QString()); }
};

} // namespace

TEST_F(RegStrings, OnlyStringValuesReadAsTextUpToTheirFirstNul) {
    EXPECT_EQ(read(), "");
    SetRegString(reg, HKEY_CLASSES_ROOT, kCommand, "VornapBack", "x");
    EXPECT_EQ(read(), "");
    const std::pair<std::uint32_t, std::string> stored[] = {
        {REG_EXPAND_SZ, std::string("%SystemRoot%\\cdplayer.exe\0", 27)},
        {REG_DWORD, std::string("\x01\x00\x00\x00", 4)},
        {REG_BINARY, "text"},
        {REG_SZ, std::string("\0hidden", 7)},
        {REG_SZ, ""}};
    for (const auto& [type, data] : stored) {
        store(type, data);
        EXPECT_EQ(read(), "") << type;
    }
    store(REG_SZ, std::string("C:\\Player\\play.exe\0junk\0", 24));
    EXPECT_EQ(read(), "C:\\Player\\play.exe");
    store(REG_SZ, "no terminator");
    EXPECT_EQ(read(), "no terminator");
}

TEST_F(RegStrings, WritingCreatesThePathAndReplacesAValueOfAnotherType) {
    SetRegString(reg, HKEY_LOCAL_MACHINE, kOwnKey, "ProxyAddress", "proxy.example.net");
    const auto raw = reg.queryValue(HKEY_LOCAL_MACHINE, kOwnKey.toStdString(), "ProxyAddress");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, REG_SZ);
    EXPECT_EQ(raw->data, std::string("proxy.example.net\0", 18));

    store(REG_DWORD, std::string("\x01\x00\x00\x00", 4));
    const QString path = QString::fromUtf8("/home/zoë/Müsik ♪/vornap");
    SetRegString(reg, HKEY_CLASSES_ROOT, kCommand, QString(), path);
    EXPECT_EQ(read(), path);
}

TEST_F(RegStrings, DeletingMissingValuesOrKeysIsSilentlyNothing) {
    DeleteRegValue(reg, HKEY_CLASSES_ROOT, kCommand, "VornapBack");
    DeleteRegValue(reg, HKEY_CLASSES_ROOT, "No\\Such\\Key", QString());
    SetRegString(reg, HKEY_CLASSES_ROOT, kCommand, QString(), "mine");
    SetRegString(reg, HKEY_CLASSES_ROOT, kCommand, "VornapBack", "theirs");
    DeleteRegValue(reg, HKEY_CLASSES_ROOT, kCommand, "VornapBack");
    EXPECT_EQ(GetRegString(reg, HKEY_CLASSES_ROOT, kCommand, "VornapBack"), "");
    EXPECT_EQ(read(), "mine");
}
