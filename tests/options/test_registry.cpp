#include "options/registry.h"
#include "platform/registrystore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::platform;

// The string helpers over the real file-backed store: only string values read
// as text, up to their first NUL; writing replaces a value of another type;
// deleting what is not there is nothing.
TEST(RegStrings, ReadWriteAndDeleteOverTheFileStore) {
    QTemporaryDir dir;
    FileRegistry reg{dir.filePath("registry.json")};
    const QString key = QStringLiteral("AudioCD\\shell\\play\\command");
    const auto read = [&] { return GetRegString(reg, HKEY_CLASSES_ROOT, key, QString()); };
    const std::pair<std::uint32_t, std::string> stored[] = {
        {REG_EXPAND_SZ, std::string("%SystemRoot%\\cdplayer.exe\0", 27)},
        {REG_DWORD, std::string("\x01\x00\x00\x00", 4)},
        {REG_SZ, std::string("\0hidden", 7)},
        {REG_SZ, std::string("C:\\Player\\play.exe\0junk\0", 24)},
        {REG_SZ, "no terminator"}};
    const QString expected[] = {"", "", "", "C:\\Player\\play.exe", "no terminator"};
    EXPECT_EQ(read(), "");
    for (int i = 0; i < 5; ++i) {
        reg.setValue(HKEY_CLASSES_ROOT, key.toStdString(), "", {stored[i].first, stored[i].second});
        EXPECT_EQ(read(), expected[i]) << i;
    }
    reg.setValue(HKEY_CLASSES_ROOT, key.toStdString(), "", {REG_DWORD, "\x01"});
    const QString path = QString::fromUtf8("/home/zoë/Müsik ♪/vornap");
    SetRegString(reg, HKEY_CLASSES_ROOT, key, QString(), path);
    EXPECT_EQ(read(), path);

    DeleteRegValue(reg, HKEY_CLASSES_ROOT, "No\\Such\\Key", QString());
    SetRegString(reg, HKEY_CLASSES_ROOT, key, "VornapBack", "theirs");
    DeleteRegValue(reg, HKEY_CLASSES_ROOT, key, "VornapBack");
    DeleteRegValue(reg, HKEY_CLASSES_ROOT, key, "VornapBack");
    EXPECT_EQ(GetRegString(reg, HKEY_CLASSES_ROOT, key, "VornapBack"), "");
    EXPECT_EQ(read(), path);
}
