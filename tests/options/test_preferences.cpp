#include "faults/robustnessrow.h"
#include "options/frmpref.h"
#include "options/registry.h"
#include "platform/mimeapps.h"
#include "skins/colors.h"
#include "support/apptest.h"
#include "support/files.h"
#include "tray/icons.h"
#include "tray/systray.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
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
        auto& v = app.v;
        v.sCDDrives = v.sCDDrive = QStringLiteral("D:\\");
        v.sPlayOnStart = QStringLiteral("1");
        v.sSkinDir = dir.path() + QStringLiteral("/Skins/Base/");
        v.sUseCDDB = QStringLiteral("0");
        v.sCDDBOnStart = QStringLiteral("0");
        v.sTimerSetting = QStringLiteral("1");
        v.sSysTrayOnly = QStringLiteral("0");
        v.sIconNum = QStringLiteral("102");
        form();
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    // The options file holding the options in memory.
    void writeOptions() {
        const auto& v = app.v;
        writeOptionsFile(dir.path(), {v.sCDDrives, v.sCDDrive, v.sPlayOnStart, v.sSkinDir,
                                      v.sUseCDDB, v.sCDDBOnStart, v.sCDDBServer, v.sCDDBEmail,
                                      v.sTimerSetting, v.sSysTrayOnly, v.sIconNum});
    }
    QByteArray optionsBytes() { return readFile(path("VornapOptions.dat")); }
    std::unique_ptr<frmPref> open() {
        writeOptions();
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
// is emptied.
TEST_F(Preferences, TheDefaultPlayerBoxKeepsAndRestoresTheOtherPlayer) {
    setReg(kCommandKey, "", "/usr/bin/otherplayer %d");
    setReg(kIconKey, "", "/usr/share/other.png");
    platform::setAudioCdHandler("other.desktop");
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

    setReg(kCommandKey, "VornapBack", "stale");
    open()->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey), "/usr/bin/otherplayer %d");
    EXPECT_EQ(reg(kCommandKey, "VornapBack"), "stale");

    platform::setAudioCdHandler("vornap.desktop");
    auto dialog = open();
    setReg(kCommandKey, "", dialog->ownCommand());
    DeleteRegValue(app, HKEY_CLASSES_ROOT, kCommandKey, "VornapBack");
    dialog->chkSetAsDefault->setChecked(false);
    dialog->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey), "");
    EXPECT_EQ(platform::audioCdHandler(), "");
}

// The desktop's settings may have changed the handler since the player last
// did: the box shows the desktop's choice, and OK leaves it unless the box was
// changed.
TEST_F(Preferences, TheDefaultPlayerBoxFollowsTheDesktopAndOkKeepsItsChoice) {
    const RobustnessRow row("Audio-CD handler changed in the desktop's settings since the "
                            "player set it",
                            "The preferences show the desktop's choice and OK keeps it "
                            "unless the box is changed");
    struct Row {
        const char* desktop;
        bool mirrorSaysOurs;
        bool shown;
    };
    const Row rows[] = {
        {"vornap.desktop", false, true}, {"other.desktop", true, false}, {"", true, false}};
    for (const Row& r : rows) {
        platform::setAudioCdHandler(r.desktop);
        auto probe = open();
        setReg(kCommandKey, "", r.mirrorSaysOurs ? probe->ownCommand() : "/usr/bin/other");
        probe.reset();
        const QByteArray mimeapps = readFile(dir.filePath("config/mimeapps.list"));

        auto dialog = open();
        EXPECT_EQ(dialog->chkSetAsDefault->isChecked(), r.shown) << r.desktop;
        dialog->cmdOK_Click();
        EXPECT_EQ(platform::audioCdHandler(), r.desktop);
        EXPECT_EQ(readFile(dir.filePath("config/mimeapps.list")), mimeapps) << r.desktop;
    }
}

TEST_F(Preferences, OkWithoutChangesRewritesTheSameOptions) {
    writeOptions();
    const QByteArray before = optionsBytes();
    auto dialog = open();
    dialog->cmdOK_Click();
    EXPECT_EQ(optionsBytes(), before);
    EXPECT_EQ(reg(kCommandKey), "");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(Preferences, FreeDbNeedsAServer) {
    app.v.sUseCDDB = QStringLiteral("1");
    app.v.sCDDBEmail = QStringLiteral("me@example.org");
    auto dialog = open();
    dialog->show();
    dialog->cboCDDBServer->setEditText(QString());
    dialog->cmdOK_Click();
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Select CDDB Server");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(Preferences, TheFreeDbGroupsEnableRulesAndLists) {
    const RobustnessRow row("Preferences opened with FreeDB on",
                            "The server list holds each server once");
    app.v.sPlayOnStart = QStringLiteral("0");
    auto dialog = open();
    EXPECT_EQ(dialog->cboCDDBServer->count(), 0);
    dialog->chkUseCDDB->setChecked(true);
    EXPECT_TRUE(dialog->cboCDDBServer->isEnabled());
    EXPECT_TRUE(dialog->cmdEmail->isEnabled());
    EXPECT_TRUE(dialog->cmdProxy->isEnabled());
    EXPECT_FALSE(dialog->chkCDDBOnStartup->isEnabled());
    EXPECT_TRUE(form().lblCDDB->isVisibleTo(&form()));
    dialog->cboCDDBServer->setEditText("typed.example.org");
    dialog->chkUseCDDB->setChecked(false);
    EXPECT_FALSE(dialog->cboCDDBServer->isEnabled());
    EXPECT_EQ(dialog->cboCDDBServer->count(), 2);
    EXPECT_EQ(dialog->cboCDDBServer->currentText(), "typed.example.org");
    EXPECT_FALSE(form().lblCDDB->isVisibleTo(&form()));
    dialog->chkUseCDDB->setChecked(true);
    EXPECT_EQ(dialog->cboCDDBServer->count(), 2);
    EXPECT_EQ(dialog->cboCDDBServer->itemText(0), "gnudb.gnudb.org");

    app.v.sUseCDDB = QStringLiteral("1");
    app.v.sPlayOnStart = QStringLiteral("1");
    app.v.sCDDBOnStart = QStringLiteral("1");
    auto loaded = open();
    EXPECT_EQ(loaded->cboCDDBServer->count(), 2);
    EXPECT_TRUE(loaded->chkCDDBOnStartup->isChecked());
    loaded->chkPlayOnStart->setChecked(false);
    EXPECT_FALSE(loaded->chkCDDBOnStartup->isChecked());
    EXPECT_FALSE(loaded->chkCDDBOnStartup->isEnabled());
}

TEST_F(Preferences, AValueThatIsNotANumberReadsAsUnchecked) {
    app.v.sPlayOnStart = QStringLiteral("yes");
    app.v.sUseCDDB = QStringLiteral("x");
    auto dialog = open();
    EXPECT_FALSE(dialog->chkPlayOnStart->isChecked());
    EXPECT_FALSE(dialog->chkUseCDDB->isChecked());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(Preferences, TheIconArrowsStopAt102And105) {
    app.v.sSysTrayOnly = QStringLiteral("1");
    for (const auto& [stored, first, afterDownUp] :
         {std::tuple{"106", &frmPref::imgIconDown_Click, 105},
          std::tuple{"101", &frmPref::imgIconUp_Click, 102}}) {
        app.v.sIconNum = QString::fromLatin1(stored);
        auto dialog = open();
        ((*dialog).*first)();
        EXPECT_EQ(dialog->iIconNum, QString(stored).toInt()) << "out of range: no step on";
        dialog->imgIconUp_Click();
        dialog->imgIconDown_Click();
        EXPECT_EQ(dialog->iIconNum, afterDownUp);
    }
}

TEST_F(Preferences, AnIconNumberThatNamesNoIconIs102) {
    const RobustnessRow row(
        "Icon number in the options file that names no icon (\"107\", "
        "\"abc\", \"99999\")",
        "Tray mode starts, and the preferences open, with icon 102, OK saves it");
    const auto pixels = [](const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); };
    for (const char* number : {"107", "abc", "99999"}) {
        SCOPED_TRACE(number);
        app.v.sIconNum = QString::fromLatin1(number);
        app.v.sSysTrayOnly = QStringLiteral("1");
        AddSysTrayIcon(app); // as at start-up
        EXPECT_EQ(pixels(form().windowIcon()), pixels(LoadResPicture(102)));
        EXPECT_EQ(open()->iIconNum, 102);

        app.v.sSysTrayOnly = QStringLiteral("0");
        auto dialog = open();
        dialog->chkSysTray->setChecked(true);
        EXPECT_EQ(dialog->iIconNum, 102);
        dialog->cmdOK_Click();
        EXPECT_TRUE(optionsBytes().endsWith("\"//IconNum\",\"102\"\r\n"));
    }
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

// Out of tray mode the window gets its taskbar button back, or the next
// minimise would leave no way back to it.
TEST_F(Preferences, LeavingTrayModeRemovesTheIconAndBringsTheTaskbarButtonBack) {
    app.v.sSysTrayOnly = QStringLiteral("1");
    tp.windowStyle->exStyle &= ~platform::WS_EX_APPWINDOW; // as a hide to the tray leaves it
    auto off = open();
    off->chkSysTray->setChecked(false);
    off->cmdOK_Click();
    ASSERT_EQ(tp.tray->calls.size(), 1u);
    EXPECT_EQ(tp.tray->calls[0].message, platform::NIM_DELETE);
    EXPECT_EQ(app.v.sSysTrayOnly, "0");
    EXPECT_EQ(tp.windowStyle->exStyle, platform::WS_EX_APPWINDOW | 0x100);
}

TEST(MimeApps, TheAudioCdHandlerEntryIsWrittenAndRemovedInPlace) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QFile f(dir.filePath("mimeapps.list"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Added Associations]\nx-content/audio-cdda=a.desktop;\n\n[Default Applications]\n"
            "text/html=browser.desktop\nx-content/audio-cdda=other.desktop;more.desktop;\n");
    f.close();
    EXPECT_EQ(platform::audioCdHandler(), "other.desktop");
    EXPECT_TRUE(platform::setAudioCdHandler("vornap.desktop"));
    EXPECT_EQ(platform::audioCdHandler(), "vornap.desktop");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    f.close();
    EXPECT_TRUE(text.contains("x-content/audio-cdda=a.desktop;")); // other sections stay
    EXPECT_TRUE(text.contains("text/html=browser.desktop"));
    EXPECT_TRUE(platform::setAudioCdHandler(QString()));
    EXPECT_EQ(platform::audioCdHandler(), "");
    qunsetenv("XDG_CONFIG_HOME");
}
