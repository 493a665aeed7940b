#include "faults/robustnessrow.h"
#include "options/frmpref.h"
#include "options/options.h"
#include "options/registry.h"
#include "platform/mimeapps.h"
#include "platform/registrystore.h"
#include "support/apptest.h"
#include "support/files.h"
#include "tray/icons.h"
#include "tray/systray.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using platform::HKEY_CLASSES_ROOT;
using platform::HKEY_LOCAL_MACHINE;

namespace {

const QString kCommandKey = QStringLiteral("AudioCD\\shell\\play\\command");
const QString kIconKey = QStringLiteral("AudioCD\\DefaultIcon");

struct Preferences : ::testing::Test, AppFixture {
    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        writeOptionsFile(dir.path(), {.drives = "D:\\",
                                      .drive = "D:\\",
                                      .playOnStart = "1",
                                      .skinDir = dir.path() + "/Skins/Base/"});
        CheckOptions(app);
        form();
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    QByteArray optionsBytes() { return readFile(path("VornapOptions.dat")); }
    // Opened over the options in memory, saved first as the dialog reads the file.
    std::unique_ptr<frmPref> open() {
        SaveOptions(app);
        auto dialog = std::make_unique<frmPref>(app);
        dialog->Form_Load();
        return dialog;
    }
    QString reg(const QString& key, const QString& value = {}) {
        return GetRegString(app, HKEY_CLASSES_ROOT, key, value);
    }
    void setReg(const QString& key, const QString& value, const QString& text) {
        SetRegString(app, HKEY_CLASSES_ROOT, key, value, text);
    }
};

} // namespace

// Becoming the default keeps the other player's values once; clearing puts
// them back. An association not ours is left alone; ours without a backup
// is emptied. The desktop's other associations stay.
TEST_F(Preferences, TheDefaultPlayerBoxKeepsAndRestoresTheOtherPlayer) {
    setReg(kCommandKey, "", "/usr/bin/otherplayer %d");
    setReg(kIconKey, "", "/usr/share/other.png");
    QDir().mkpath(dir.filePath("config"));
    writeFile(dir.filePath("config/mimeapps.list"),
              "[Added Associations]\nx-content/audio-cdda=a.desktop;\n\n[Default Applications]\n"
              "text/html=browser.desktop\nx-content/audio-cdda=other.desktop;more.desktop;\n");
    for (const auto& [check, shown] : {std::pair{true, false}, {true, true}, {false, true}}) {
        auto dialog = open();
        EXPECT_EQ(dialog->chkSetAsDefault->isChecked(), shown);
        dialog->chkSetAsDefault->setChecked(check);
        dialog->cmdOK_Click();
        EXPECT_EQ(reg(kCommandKey), check ? dialog->ownCommand() : "/usr/bin/otherplayer %d");
        EXPECT_EQ(reg(kIconKey), check ? dialog->ownIcon() : "/usr/share/other.png");
        EXPECT_EQ(reg(kCommandKey, "VornapBack"), check ? "/usr/bin/otherplayer %d" : "");
        EXPECT_EQ(reg(kIconKey, "VornapBack"), check ? "/usr/share/other.png" : "");
        EXPECT_EQ(platform::audioCdHandler(), check ? "vornap.desktop" : "other.desktop");
    }
    EXPECT_FALSE(app.platform.registry->queryValue(HKEY_CLASSES_ROOT, kCommandKey.toStdString(),
                                                   "VornapBack"));
    const QByteArray mimeapps = readFile(dir.filePath("config/mimeapps.list"));
    EXPECT_TRUE(mimeapps.contains("\nx-content/audio-cdda=a.desktop;\n")) << mimeapps.constData();
    EXPECT_TRUE(mimeapps.contains("\ntext/html=browser.desktop\n"));

    setReg(kCommandKey, "VornapBack", "stale");
    open()->cmdOK_Click();
    EXPECT_EQ(QStringList({reg(kCommandKey), reg(kCommandKey, "VornapBack")}),
              QStringList({"/usr/bin/otherplayer %d", "stale"}));

    platform::setAudioCdHandler("vornap.desktop");
    auto dialog = open();
    setReg(kCommandKey, "", dialog->ownCommand());
    DeleteRegValue(app, HKEY_CLASSES_ROOT, kCommandKey, "VornapBack");
    dialog->chkSetAsDefault->setChecked(false);
    dialog->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey) + platform::audioCdHandler(), "") << "both emptied";
}

// The desktop's settings may have changed the handler since the player last
// did: the box shows the desktop's choice, and OK leaves it unless the box was
// changed.
TEST_F(Preferences, TheDefaultPlayerBoxFollowsTheDesktopAndOkKeepsItsChoice) {
    const RobustnessRow row("Audio-CD handler changed in the desktop's settings since the "
                            "player set it",
                            "The preferences show the desktop's choice and OK keeps it "
                            "unless the box is changed");
    for (const auto& [desktop, mirrorSaysOurs] :
         {std::pair{"vornap.desktop", false}, {"other.desktop", true}, {"", true}}) {
        platform::setAudioCdHandler(desktop);
        setReg(kCommandKey, "", mirrorSaysOurs ? frmPref(app).ownCommand() : "/usr/bin/other");
        const QByteArray mimeapps = readFile(dir.filePath("config/mimeapps.list"));
        auto dialog = open();
        EXPECT_EQ(dialog->chkSetAsDefault->isChecked(), *desktop == 'v') << desktop;
        dialog->cmdOK_Click();
        EXPECT_EQ(platform::audioCdHandler(), desktop);
        EXPECT_EQ(readFile(dir.filePath("config/mimeapps.list")), mimeapps) << desktop;
    }
}

// OK without changes writes the same file; FreeDB without a server is refused
// and the dialog stays; a value that is not a number reads as unchecked.
TEST_F(Preferences, OkKeepsTheOptionsAndRefusesFreeDbWithoutAServer) {
    SaveOptions(app);
    const QByteArray before = optionsBytes();
    open()->cmdOK_Click();
    EXPECT_EQ(optionsBytes(), before);
    EXPECT_EQ(reg(kCommandKey), "");
    EXPECT_TRUE(tp.messageBox->boxes.empty());

    app.v.sUseCDDB = QStringLiteral("1");
    app.v.sCDDBEmail = QStringLiteral("me@example.org");
    auto dialog = open();
    dialog->show();
    dialog->cboCDDBServer->setEditText(QString());
    dialog->cmdOK_Click();
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Select CDDB Server");
    EXPECT_TRUE(dialog->isVisible());

    app.v.sPlayOnStart = QStringLiteral("yes");
    app.v.sUseCDDB = QStringLiteral("x");
    dialog = open();
    EXPECT_EQ(std::tuple(dialog->chkPlayOnStart->isChecked(), dialog->chkUseCDDB->isChecked(),
                         tp.messageBox->boxes.size()),
              std::tuple(false, false, 1u));
}

TEST_F(Preferences, TheFreeDbGroupsEnableRulesAndLists) {
    const RobustnessRow row("Preferences opened with FreeDB on",
                            "The server list holds each server once");
    app.v.sPlayOnStart = QStringLiteral("0");
    auto dialog = open();
    EXPECT_EQ(dialog->cboCDDBServer->count(), 0);
    dialog->chkUseCDDB->setChecked(true);
    EXPECT_EQ(QList<bool>({dialog->cboCDDBServer->isEnabled(), dialog->cmdEmail->isEnabled(),
                           dialog->cmdProxy->isEnabled(), dialog->chkCDDBOnStartup->isEnabled(),
                           form().lblCDDB->isVisibleTo(&form())}),
              QList<bool>({true, true, true, false, true})); // start-up query: play on start
    dialog->cboCDDBServer->setEditText("typed.example.org");
    dialog->chkUseCDDB->setChecked(false);
    EXPECT_FALSE(dialog->cboCDDBServer->isEnabled());
    EXPECT_EQ(dialog->cboCDDBServer->count(), 2);
    EXPECT_EQ(dialog->cboCDDBServer->currentText(), "typed.example.org");
    EXPECT_FALSE(form().lblCDDB->isVisibleTo(&form()));
    dialog->chkUseCDDB->setChecked(true);
    EXPECT_EQ(dialog->cboCDDBServer->count(), 2);
    EXPECT_EQ(dialog->cboCDDBServer->itemText(0), "gnudb.gnudb.org");

    app.v.sUseCDDB = app.v.sPlayOnStart = app.v.sCDDBOnStart = QStringLiteral("1");
    auto loaded = open();
    EXPECT_EQ(loaded->cboCDDBServer->count(), 2);
    EXPECT_TRUE(loaded->chkCDDBOnStartup->isChecked());
    loaded->chkPlayOnStart->setChecked(false);
    EXPECT_FALSE(loaded->chkCDDBOnStartup->isChecked());
    EXPECT_FALSE(loaded->chkCDDBOnStartup->isEnabled());
}

TEST_F(Preferences, AnIconNumberThatNamesNoIconIs102) {
    const RobustnessRow row(
        "Icon number in the options file that names no icon (\"107\", \"abc\", "
        "\"99999\")",
        "Tray mode starts, and the preferences open, with icon 102, OK saves it");
    const auto pixels = [](const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); };
    for (const char* number : {"107", "abc", "99999"}) {
        SCOPED_TRACE(number);
        app.v.sIconNum = QString::fromLatin1(number);
        app.v.sSysTrayOnly = QStringLiteral("1");
        AddSysTrayIcon(app); // as at start-up
        EXPECT_EQ(pixels(form().windowIcon()), pixels(LoadResPicture(102)));
        auto shown = open();
        EXPECT_EQ(shown->iIconNum, 102);
        shown->imgIconUp_Click(); // the arrows stop at the first and the last icon
        EXPECT_EQ(shown->iIconNum, 102);
        for (int i = 0; i < 4; ++i)
            shown->imgIconDown_Click();
        EXPECT_EQ(shown->iIconNum, 105);

        app.v.sSysTrayOnly = QStringLiteral("0");
        auto dialog = open();
        dialog->chkSysTray->setChecked(true);
        EXPECT_EQ(dialog->iIconNum, 102);
        dialog->cmdOK_Click();
        EXPECT_TRUE(optionsBytes().endsWith("\"//IconNum\",\"102\"\r\n"));
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// Out of tray mode the window gets its taskbar button back and minimises to it, or the
// next minimise would leave no way back to it.
TEST_F(Preferences, LeavingTrayModeRemovesTheIconAndBringsTheTaskbarButtonBack) {
    form().show();
    app.v.sSysTrayOnly = QStringLiteral("1");
    tp.windowStyle->exStyle &= ~platform::WS_EX_APPWINDOW; // as a hide to the tray leaves it
    auto off = open();
    off->chkSysTray->setChecked(false);
    off->cmdOK_Click();
    ASSERT_EQ(tp.tray->calls.size(), 1u);
    EXPECT_EQ(tp.tray->calls[0].message, platform::NIM_DELETE);
    EXPECT_EQ(app.v.sSysTrayOnly, "0");
    EXPECT_EQ(tp.windowStyle->exStyle, platform::WS_EX_APPWINDOW | 0x100);
    form().setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(tp.tray->calls.size(), 1u);
}

// The string helpers over the real file-backed store: only string values read
// as text, up to their first NUL; writing replaces a value of another type;
// deleting what is not there is nothing.
TEST(RegStrings, ReadWriteAndDeleteOverTheFileStore) {
    using namespace platform;
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
