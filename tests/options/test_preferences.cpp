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

TEST_F(Preferences, CaptionsOfTheDialog) {
    auto d = open();
    EXPECT_EQ(QStringList({d->windowTitle(), d->chkSetAsDefault->text(), d->chkPlayOnStart->text(),
                           d->fraSkins->title(), d->lblSkinDirLabel->text(), d->lblSkinDir->text(),
                           d->cmdSkinBrowse->text(), d->fraCDDB->title(), d->chkUseCDDB->text(),
                           d->lblCDDBServerLabel->text(), d->chkCDDBOnStartup->text(),
                           d->cmdEmail->text(), d->cmdProxy->text(), d->fraSysTray->title(),
                           d->chkSysTray->text(), d->cmdOK->text(), d->cmdCancel->text()}),
              QStringList({"Preferences", "Set Vornap as Default Audio CD Player",
                           "Start Playing CD on Startup", "Skin Options", "Skin Directory:",
                           app.v.sSkinDir, "Select &Skin Directory", "FreeDB Options", "Use FreeDB",
                           "Select FreeDB Server:", "Query FreeDB Server On Startup", "Email",
                           "Set &Proxy...", "System Tray", "System Tray Icon", "&OK", "&Cancel"}));
}

TEST_F(Preferences, CheckBoxesAreFilledWithTheSkinsBackColour) {
    auto dialog = open();
    const QColor back = SkinColor(app.v.sSkinBackColor);
    for (QCheckBox* box : {dialog->chkSetAsDefault, dialog->chkPlayOnStart, dialog->chkUseCDDB,
                           dialog->chkCDDBOnStartup, dialog->chkSysTray}) {
        // Right of the caption, where only the box's own fill shows.
        const QImage image = box->grab().toImage();
        EXPECT_EQ(image.pixelColor(image.width() - 3, image.height() / 2), back)
            << box->text().toStdString();
    }
}

TEST_F(Preferences, BecomingTheDefaultPlayerKeepsTheOtherPlayersValuesOnce) {
    setReg(kCommandKey, "", "/usr/bin/otherplayer %d");
    setReg(kIconKey, "", "/usr/share/other.png");
    platform::setAudioCdHandler("other.desktop");

    auto dialog = open();
    EXPECT_FALSE(dialog->chkSetAsDefault->isChecked());
    dialog->chkSetAsDefault->setChecked(true);
    dialog->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey), dialog->ownCommand());
    EXPECT_EQ(reg(kIconKey), dialog->ownIcon());
    EXPECT_EQ(reg(kCommandKey, "VornapBack"), "/usr/bin/otherplayer %d");
    EXPECT_EQ(reg(kIconKey, "VornapBack"), "/usr/share/other.png");
    EXPECT_EQ(platform::audioCdHandler(), "vornap.desktop");

    // Confirming again must not overwrite the backup with our own values.
    auto again = open();
    EXPECT_TRUE(again->chkSetAsDefault->isChecked());
    again->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey, "VornapBack"), "/usr/bin/otherplayer %d");

    // Clearing puts the other player back and removes the backups.
    auto clear = open();
    clear->chkSetAsDefault->setChecked(false);
    clear->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey), "/usr/bin/otherplayer %d");
    EXPECT_EQ(reg(kIconKey), "/usr/share/other.png");
    EXPECT_FALSE(app.platform.registry->queryValue(HKEY_CLASSES_ROOT, kCommandKey.toStdString(),
                                                   "VornapBack"));
    EXPECT_FALSE(
        app.platform.registry->queryValue(HKEY_CLASSES_ROOT, kIconKey.toStdString(), "VornapBack"));
    EXPECT_EQ(platform::audioCdHandler(), "other.desktop");
}

TEST_F(Preferences, ClearingAnAssociationNotOursChangesNothingOursWithoutBackupEmptiesIt) {
    setReg(kCommandKey, "", "/usr/bin/otherplayer");
    setReg(kCommandKey, "VornapBack", "stale");
    open()->cmdOK_Click();
    EXPECT_EQ(reg(kCommandKey), "/usr/bin/otherplayer");
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

TEST_F(Preferences, FreeDbNeedsASavedEmailAndAServer) {
    app.v.sUseCDDB = QStringLiteral("1");
    app.v.sCDDBServer = QStringLiteral("gnudb.gnudb.org");
    auto dialog = open();
    dialog->show();
    dialog->cmdOK_Click();
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text,
              "If you are using CDDB, you must enter your email address!");
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Enter Your Email");
    EXPECT_TRUE(dialog->isVisible());

    app.v.sCDDBEmail = QStringLiteral("me@example.org");
    app.v.sCDDBServer.clear();
    auto second = open();
    second->show();
    second->cboCDDBServer->setEditText(QString());
    second->cmdOK_Click();
    ASSERT_EQ(tp.messageBox->boxes.size(), 2u);
    EXPECT_EQ(tp.messageBox->boxes[1].text,
              "If you are going to use CDDB, you should at least select a server!");
    EXPECT_EQ(tp.messageBox->boxes[1].caption, "Select CDDB Server");
    EXPECT_TRUE(second->isVisible());
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
    app.v.sIconNum = QStringLiteral("106");
    auto high = open();
    high->imgIconDown_Click();
    EXPECT_EQ(high->iIconNum, 106);
    high->imgIconUp_Click();
    high->imgIconDown_Click();
    EXPECT_EQ(high->iIconNum, 105);

    app.v.sIconNum = QStringLiteral("101");
    auto low = open();
    low->imgIconUp_Click();
    EXPECT_EQ(low->iIconNum, 101);
    low->imgIconDown_Click();
    low->imgIconUp_Click();
    EXPECT_EQ(low->iIconNum, 102);
}

// A number typed into the options file, or written by another version, ended
// the program where the icon is loaded.
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

TEST_F(Preferences, TheTrayBoxAppliesAtOk) {
    auto dialog = open();
    EXPECT_FALSE(dialog->ptrIconPreview->isEnabled());
    dialog->chkSysTray->setChecked(true);
    EXPECT_TRUE(dialog->ptrIconPreview->isEnabled());
    EXPECT_EQ(dialog->iIconNum, 102);
    dialog->imgIconDown_Click();
    EXPECT_TRUE(tp.tray->calls.empty()); // nothing reaches the tray before OK
    dialog->cmdOK_Click();
    ASSERT_EQ(tp.tray->calls.size(), 3u);
    EXPECT_EQ(tp.tray->calls[0].message, platform::NIM_DELETE);
    EXPECT_EQ(tp.tray->calls[1].message, platform::NIM_ADD);
    EXPECT_EQ(tp.tray->calls[2].message, platform::NIM_MODIFY);
    EXPECT_EQ(app.v.sSysTrayOnly, "1");
    EXPECT_EQ(app.v.sIconNum, "103");

    tp.tray->calls.clear();
    tp.windowStyle->exStyle &= ~platform::WS_EX_APPWINDOW; // as a hide to the tray leaves it
    auto off = open();
    off->chkSysTray->setChecked(false);
    off->cmdOK_Click();
    ASSERT_EQ(tp.tray->calls.size(), 1u);
    EXPECT_EQ(tp.tray->calls[0].message, platform::NIM_DELETE);
    EXPECT_EQ(app.v.sSysTrayOnly, "0");
    // Out of tray mode the window gets its taskbar button back, or the next
    // minimise would leave no way back to it.
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
