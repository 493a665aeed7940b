#include "about/frmabout.h"
#include "faults/robustnessrow.h"
#include "freedb/frmemail.h"
#include "freedb/frmsetproxy.h"
#include "options/frmpref.h"
#include "skins/colors.h"
#include "skins/dirlistbox.h"
#include "skins/frmselectskindirectory.h"
#include "skins/setskin.h"
#include "skins/skinnedform.h"
#include "skins/tiling.h"
#include "support/apptest.h"
#include "support/files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

const QColor kBack(0x56, 0x34, 0x12); // 1193046
const QColor kFore(0xEE, 0xFF, 0xC0); // 12648430

QImage imageOf(const QPixmap& picture) {
    return picture.toImage().convertToFormat(QImage::Format_RGB32);
}
QImage imageFile(const QString& path) {
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// The window wears the skin: its background is the tile, repeated from its top
// left corner to the bottom right one, and its controls show the colours.
void expectWearing(QWidget& window, const QImage& tile) {
    SCOPED_TRACE(window.windowTitle().toStdString());
    const SkinTargets targets = dynamic_cast<SkinnedForm&>(window).skinTargets();
    EXPECT_EQ(imageOf(targets.imgBackground->picture()), tile);
    for (QWidget* caption : targets.foreOnly) {
        EXPECT_EQ(ForeColorOf(caption), kFore);
        EXPECT_FALSE(caption->autoFillBackground()); // it stands on the background
    }
    for (QWidget* value : targets.backAndFore) {
        EXPECT_EQ(ForeColorOf(value), kFore);
        EXPECT_EQ(BackColorOf(value), kBack);
        // A combo box's edit field shows the back colour, other controls fill with it.
        const auto* combo = qobject_cast<QComboBox*>(value);
        EXPECT_TRUE(combo ? !combo->lineEdit() ||
                                combo->lineEdit()->palette().color(QPalette::Base) == kBack
                          : value->autoFillBackground());
        // A check box draws its tick on a white box: the light fore colour would hide it.
        EXPECT_TRUE(!qobject_cast<QCheckBox*>(value) ||
                    value->palette().color(QPalette::Text) != kFore);
    }
    for (QWidget* control : targets.backOnly)
        EXPECT_EQ(BackColorOf(control), kBack);
    const QImage shot = window.grab().toImage();
    const QPoint corner(shot.width() - 1, shot.height() - 1);
    EXPECT_EQ(shot.pixelColor(corner),
              tile.pixelColor(corner.x() % tile.width(), corner.y() % tile.height()));
    for (QCheckBox* box : window.findChildren<QCheckBox*>()) { // filled beside its text too
        const QPoint end = box->mapTo(&window, QPoint(box->width() - 2, box->height() / 2));
        EXPECT_TRUE(box->window() != &window || shot.pixelColor(end) == kBack)
            << box->text().toStdString();
    }
}

// The player wears the base skin; Skins/ also holds Walnut, and Test: Walnut in known colours.
struct Skins : ::testing::Test, AppFixture {
    void SetUp() override {
        ASSERT_TRUE(installSkin(dir.path(), "Walnut"));
        ASSERT_TRUE(copySkin(builtSkinDir("Walnut"), testSkin));
        writeFile(testSkin + "Colors.txt",
                  "\"//Back Color\",1193046\r\n\"//Fore Color\",12648430\r\n");
        wear(base);
    }
    void wear(const QString& skinDir) {
        useSkin(skinDir);
        app.v.sSkinForm = QStringLiteral("frmCD");
        form();
        SetSkin(app);
    }
    void useSkin(const QString& skinDir) {
        writeOptionsFile(dir.path(), {.skinDir = skinDir});
        optionsBefore = readFile(path("VornapOptions.dat"));
    }
    bool savedAsSkin(const QString& skinDir) {
        return readFile(path("VornapOptions.dat"))
            .contains(("\"//Skin Directory\",\"" + skinDir + "\",").toLocal8Bit());
    }

    // Opens the chooser, clicks the folder's entry and applies. The clicks go through the
    // window system, which makes two quick clicks a double click.
    void choose(const QString& folder, bool twice = true) {
        if (!current) {
            chooser = std::make_unique<frmSelectSkinDirectory>(app);
            chooser->Form_Load();
            chooser->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser.get()));
            current = chooser.get();
        }
        QTreeWidgetItem* item = current->Dir1->entryFor(folder);
        ASSERT_NE(item, nullptr) << folder.toStdString();
        const QPoint at =
            current->Dir1->viewport()->mapTo(current, current->Dir1->visualItemRect(item).center());
        if (twice)
            QTest::mouseDClick(current->windowHandle(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(current->windowHandle(), Qt::LeftButton, {}, at);
        QTest::mouseClick(current->cmdOK, Qt::LeftButton);
    }
    void expectUnchanged() {
        EXPECT_EQ(app.v.sSkinDir, base);
        EXPECT_EQ(readFile(path("VornapOptions.dat")), optionsBefore);
        EXPECT_EQ(imageOf(form().imgBackground->picture()), imageFile(base + "Background.bmp"));
    }

    const QString base = path("Skins/Base/");
    const QString testSkin = path("Skins/Test/");
    QByteArray optionsBefore;
    std::unique_ptr<frmSelectSkinDirectory> chooser;
    frmSelectSkinDirectory* current = nullptr; // the open one
};

} // namespace

TEST_F(Skins, WithoutItsSkinFolderThePlayerWearsTheBaseSkinAndSavesIt) {
    const RobustnessRow row("Skin folder named in the options gone (moved, deleted, dropped "
                            "by an upgrade)",
                            "The player starts in the base skin and saves it as its skin");
    for (const bool gone : {false, true}) {
        SCOPED_TRACE(gone ? "the folder is gone" : "no folder named");
        useSkin(gone ? testSkin : QString());
        ASSERT_TRUE(!gone || QDir(testSkin).removeRecursively());
        form().imgPlay->setPicture({});
        load();
        EXPECT_EQ(std::tuple(tp.messageBox->boxes.size(), app.v.sSkinDir, savedAsSkin(base)),
                  std::tuple(0u, base, true));
        EXPECT_EQ(imageOf(form().imgPlay->picture()), imageFile(base + "Play_up.bmp"));
    }
}

// Only a folder opened by a double click (or Return) and holding a whole, readable skin is
// taken: anything else leaves skin, options and window as they were. A skin that breaks once
// chosen ends the program with the step's tag. The chooser opens on Skins/, or above it.
TEST_F(Skins, TheChooserTakesOnlyAnOpenedUsableSkin) {
    choose(path("Skins/Walnut"), false); // highlighted only: Skins is tested
    EXPECT_EQ(chooser->Dir1->path(), path("Skins"));
    EXPECT_NE(chooser->Dir1->entryFor(dir.path()), nullptr); // the way up
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "No Skin!");
    QTest::keyClick(chooser->Dir1, Qt::Key_Return);
    EXPECT_EQ(chooser->Dir1->path(), path("Skins/Walnut"));
    QTest::mouseClick(chooser->cmdCancel, Qt::LeftButton);
    EXPECT_FALSE(chooser->isVisible());
    expectUnchanged();
    ASSERT_TRUE(QFile::link(builtSkinDir("Walnut"), path("Skins/Linked"))); // as installed
    // The folder; its file replaced by the content, or removed when that is empty; the box's
    // caption (empty: taken); the fatal box's text when the options name the folder.
    const std::tuple<const char*, const char*, QByteArray, const char*, const char*> cases[] = {
        {"Incomplete", "Fwd_down.bmp", "", "No Skin!", ""},
        {"Broken", "Stop_down.bmp", "BM this is no bitmap", "No Skin!", ""},
        {"NoColours", "Colors.txt", "", "No Skin!", "File not found\rSetSkin_03"},
        {"BadColour", "Colors.txt", "\"//Back Color\",\"black\",\"//Fore Color\",\"255\"",
         "No Skin!", "Type mismatch\rSetSkin_04"},
        {"ShortColours", "Colors.txt", "\"//Back Color\",\"0\",\"//Fore Color\"", "No Skin!",
         "Input past end of file\rSetSkin_03"},
        {"NoBackground", "Background.bmp", "", "No Skin!", "File not found\rSetSkin_04"},
        {"BadButton", "Pause_up.bmp", "BM not a bitmap", "No Skin!", "Invalid picture\rSetSkin_04"},
        {"Say \"Hi\"", "", "", "Select Skin Directory", ""}, // no room in the options file
        {"Base", "", "", "", ""},                            // the current skin again
        {"CAPITALS", "", "", "", ""},
        {"Linked", "", "", "", ""},
    };
    for (const auto& [name, file, content, box, fatal] : cases) {
        SCOPED_TRACE(name);
        const QString folder = path("Skins/") + name + '/';
        QDir d(folder);
        ASSERT_TRUE(d.exists() || copySkin(testSkin, folder));
        if (*file)
            content.isEmpty() ? void(QFile::remove(folder + file))
                              : writeFile(folder + file, content);
        for (const QString& each : d.entryList(QDir::Files))
            ASSERT_TRUE(QString(name) != "CAPITALS" || d.rename(each, each.toUpper()));
        tp.messageBox->boxes.clear();
        current = nullptr;
        choose(folder);
        if (!*box) {
            EXPECT_EQ(std::tuple(tp.messageBox->boxes.size(), chooser->isVisible(), app.v.sSkinDir),
                      std::tuple(0u, false, folder));
            EXPECT_TRUE(savedAsSkin(folder));
            const QString background = d.entryList({"background.bmp"}, QDir::Files).value(0);
            EXPECT_EQ(imageOf(form().imgBackground->picture()), imageFile(folder + background));
            wear(base);
            continue;
        }
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].caption, box);
        EXPECT_TRUE(chooser->isVisible());
        expectUnchanged();
        if (!*fatal)
            continue;
        useSkin(folder);
        EXPECT_THROW(SetSkin(app), ProcessEnded);
        ASSERT_EQ(tp.messageBox->boxes.size(), 2u);
        EXPECT_EQ(tp.messageBox->boxes[1].caption + ": " + tp.messageBox->boxes[1].text,
                  QString("Vornap: ") + fatal);
        wear(base);
    }
    ASSERT_TRUE(QDir(path("Skins")).removeRecursively());
    frmSelectSkinDirectory fresh(app);
    fresh.Form_Load();
    EXPECT_EQ(fresh.Dir1->path(), dir.path());
}

// Chosen from the Preferences, the skin reaches the main window, the open Preferences and the
// small dialogs, which it creates hidden, once each. Then a repaint focuses OK, yet Tab moves on.
TEST_F(Skins, FromThePreferencesANewSkinReachesEveryWindow) {
    RegisterSkinChooserForm(app);
    registerPreferencesDialog(app);
    RegisterAboutForm(app);
    RegisterEmailForm(app);
    RegisterProxyForm(app);
    frmCD& f = load();
    f.show();
    auto* pref = qobject_cast<frmPref*>(app.formFactories.at("frmPref")(app));
    ASSERT_NE(pref, nullptr);
    pref->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pref));
    bool chose = false;
    QTimer::singleShot(0, [&] {
        current = qobject_cast<frmSelectSkinDirectory*>(app.frmSelectSkinDirectory.data());
        ASSERT_NE(current, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(current));
        choose(testSkin);
        chose = true;
    });
    QTest::mouseClick(pref->cmdSkinBrowse, Qt::LeftButton);
    ASSERT_TRUE(chose);
    EXPECT_EQ(std::tuple(tp.messageBox->boxes.size(), app.v.sSkinDir), std::tuple(0u, testSkin));

    for (QWidget* window : QWidgetList{&f, pref, app.frmAbout, app.frmEmail, app.frmSetProxy}) {
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->isVisible(), window == &f || window == pref);
        expectWearing(*window, imageFile(testSkin + "Background.bmp"));
    }
    int skinnedDialogs = 0;
    for (QWidget* w : f.findChildren<QWidget*>())
        skinnedDialogs += w->isWindow() && dynamic_cast<SkinnedForm*>(w);
    EXPECT_EQ(skinnedDialogs, 4) << "each dialog created once";
    const ImageBox* buttons[] = {f.imgBack, f.imgForward, f.imgPlay, f.imgPause, f.imgStop};
    for (int i = 0; i < 5; ++i) {
        const QString file = QStringList{"Back", "Fwd", "Play", "Pause", "Stop"}[i] + "_up.bmp";
        EXPECT_EQ(imageOf(buttons[i]->picture()), imageFile(testSkin + file)) << i;
        EXPECT_EQ(buttons[i]->size(), buttons[i]->picture().size()) << i;
    }
    EXPECT_EQ(
        QList({f.ProgressBar->BackColor(), f.ProgressBar->BarColor(), f.ProgressBar->BarColor2()}),
        QList({kBack, kFore, kFore}));

    ASSERT_TRUE(QTest::qWaitForWindowActive(pref));
    pref->cmdCancel->setFocus();
    pref->repaint();
    EXPECT_EQ(pref->focusWidget(), pref->cmdOK);
    QTest::keyClick(pref->cmdOK, Qt::Key_Tab);
    QWidget* moved = pref->focusWidget();
    EXPECT_NE(moved, pref->cmdOK);
    QCoreApplication::processEvents(); // the focus frames repaint
    EXPECT_EQ(pref->focusWidget(), moved);
}

// A colour file's value: the colour it names, red in the low byte, or the error it raises.
TEST(SkinColors, TextBecomesTheColourItNamesOrItsError) {
    const QPalette saved = QGuiApplication::palette();
    QPalette desktop = saved; // system colours follow the palette of the moment
    desktop.setColor(QPalette::Button, QColor(1, 2, 3));
    desktop.setColor(QPalette::ButtonText, QColor(4, 5, 6));
    QGuiApplication::setPalette(desktop);
    const std::pair<QColor, QStringList> colours[] = {
        {QColor(255, 0, 0), {"255", "&HFF&", "33554687" /* high byte 2 */}},
        {QColor(0, 255, 0), {"65280", "&h00ff00"}},
        {QColor(0, 0, 255), {"16711680"}},
        {QColor(255, 128, 128), {"8421631"}},
        {QColor(64, 64, 64), {"  4210752 "}},
        {QColor(254, 0, 0), {"254.5"}}, // halves to even
        {QColor(0, 1, 0), {"255.5"}},
        {QColor(1, 2, 3), {"-2147483633", "&H8000000F&", "2147483663"}},
        {QColor(4, 5, 6), {"2147483666"}}};
    for (const auto& [colour, texts] : colours)
        for (const QString& text : texts)
            EXPECT_EQ(SkinColor(text), colour) << text.toStdString();
    // Type mismatch, Overflow, Invalid property value (no such system colour).
    const std::pair<int, QStringList> errors[] = {
        {13, {"", "red", "12 34", "&HXYZ", "&H123456789", "nan"}},
        {6, {"4294967296", "-2147483649", "1e300"}},
        {380, {"2147483673", "2147483679", "2147549189", "50331903"}}};
    for (const auto& [number, texts] : errors)
        for (const QString& text : texts)
            EXPECT_EQ(test::errorOf([&] { SkinColor(text); }), number) << text.toStdString();
    QGuiApplication::setPalette(saved);
}

// Every pixel shows the tile (its top left pixel marked) placed from the window's top left
// corner; x = W and y = H are drawn too. A picture without area draws nothing.
TEST(Tiling, TheTileCoversTheWindowFromItsTopLeftCorner) {
    for (const auto& [size, tileSize] : {std::pair{QSize(50, 30), QSize(80, 60)},
                                         {QSize(64, 20), QSize(32, 20)},
                                         {QSize(100, 70), QSize(30, 20)},
                                         {QSize(10, 10), QSize(0, 5)}}) {
        QImage tile(tileSize, QImage::Format_RGB32);
        tile.fill(Qt::blue);
        if (!tile.isNull())
            tile.setPixelColor(0, 0, Qt::red);
        QImage window(size, QImage::Format_RGB32), expected(size, QImage::Format_RGB32);
        window.fill(Qt::white);
        expected.fill(Qt::white);
        QPainter p(&window);
        TileBackground(p, size, QPixmap::fromImage(tile));
        p.end();
        QPainter(&expected).drawTiledPixmap(expected.rect(), QPixmap::fromImage(tile));
        EXPECT_EQ(window, expected) << size.width() << "x" << size.height();
    }
}
