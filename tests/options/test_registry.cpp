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
    const auto read = [&](const QString& value = {}) {
        return GetRegString(reg, HKEY_CLASSES_ROOT, key, value);
    };
    EXPECT_EQ(read(), "");
    for (const auto& [type, bytes, text] :
         {std::tuple{REG_EXPAND_SZ, std::string("%SystemRoot%\\cdplayer.exe\0", 27), ""},
          {REG_SZ, std::string("\0hidden", 7), ""},
          {REG_SZ, std::string("C:\\Player\\play.exe\0junk\0", 24), "C:\\Player\\play.exe"},
          {REG_SZ, std::string("no terminator"), "no terminator"},
          {REG_DWORD, std::string("\x01\x00\x00\x00", 4), ""}}) {
        reg.setValue(HKEY_CLASSES_ROOT, key.toStdString(), "", {type, bytes});
        EXPECT_EQ(read(), text) << bytes;
    }
    const QString path = QString::fromUtf8("/home/zoë/Müsik ♪/vornap");
    SetRegString(reg, HKEY_CLASSES_ROOT, key, QString(), path);
    DeleteRegValue(reg, HKEY_CLASSES_ROOT, "No\\Such\\Key", QString());
    SetRegString(reg, HKEY_CLASSES_ROOT, key, "VornapBack", "theirs");
    for (int twice = 0; twice < 2; ++twice)
        DeleteRegValue(reg, HKEY_CLASSES_ROOT, key, "VornapBack");
    EXPECT_EQ(read("VornapBack"), "");
    EXPECT_EQ(read(), path);
}
