#include "faults/robustnessrow.h"
#include "skins/colors.h"
#include "skins/setskin.h"
#include "skins/skintest.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

const QStringList kButtonFiles{"Back_up.bmp", "Fwd_up.bmp", "Play_up.bmp", "Pause_up.bmp",
                               "Stop_up.bmp"};
const QColor kBack(0x56, 0x34, 0x12); // 1193046
const QColor kFore(0xEE, 0xFF, 0xC0); // 12648430

struct SetSkinTest : ::testing::Test, AppFixture {
    void SetUp() override {
        // A copy of the base skin with colours the test knows.
        testSkin = path("Skins/Test/");
        ASSERT_TRUE(copySkin(builtSkinDir("Base"), testSkin));
        writeFile(testSkin + "Colors.txt",
                  "\"//Back Color\",1193046\r\n\"//Fore Color\",12648430\r\n");
        useSkin(testSkin);
    }
    void useSkin(const QString& skinDir) {
        writeOptions(dir.path(), skinDir);
        app.v.sSkinDir = skinDir;
    }
    void skin(const QString& name) {
        app.v.sSkinForm = name;
        SetSkin(app);
    }
    // The fatal box's text when skinning the window ends the program.
    QString fatalText(const QString& name) {
        try {
            skin(name);
        } catch (const ProcessEnded&) {
            if (!tp.messageBox->boxes.empty()) {
                EXPECT_EQ(tp.messageBox->boxes.back().caption, "Vornap");
                return tp.messageBox->boxes.back().text;
            }
            return QStringLiteral("(no box)");
        }
        return QString();
    }

    QString testSkin;
};

} // namespace

TEST_F(SetSkinTest, MainWindowTakesBackgroundButtonsAndColours) {
    frmCD& f = form();
    app.v.sSkinDir = QStringLiteral("stale, not from the file");
    skin("frmCD");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(app.v.sSkinDir, testSkin); // the options file is read first
    EXPECT_EQ(app.v.ErrorTag, "SetSkin_06");
    EXPECT_EQ(app.v.sSkinBackColor, "1193046");
    EXPECT_EQ(app.v.sSkinForeColor, "12648430");

    EXPECT_EQ(imageOf(f.imgBackground->picture()), imageFile(testSkin + "Background.bmp"));
    EXPECT_FALSE(f.imgBackground->isVisibleTo(&f));
    const ImageBox* buttons[] = {f.imgBack, f.imgForward, f.imgPlay, f.imgPause, f.imgStop};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(imageOf(buttons[i]->picture()), imageFile(testSkin + kButtonFiles[i]))
            << kButtonFiles[i].toStdString();
        EXPECT_EQ(buttons[i]->size(), buttons[i]->picture().size());
    }

    const QList<QWidget*> captions{
        f.lblTimeLabel,   f.lblTotTrackTimeLabel, f.lblTotTracksLabel, f.lblCurrentTrackLabel,
        f.lblArtistLabel, f.lblAlbumLabel,        f.lblCDDriveLabel};
    for (QWidget* caption : captions) {
        EXPECT_EQ(ForeColorOf(caption), kFore) << caption->objectName().toStdString();
        EXPECT_FALSE(caption->autoFillBackground()); // captions stand on the background
    }
    const QList<QWidget*> values{f.lblTime,  f.lblTotTrackTime, f.lblTotTracks,    f.lblArtist,
                                 f.lblAlbum, f.lblCDDB,         f.cboCurrentTrack, f.cboCDDrive};
    for (QWidget* value : values) {
        EXPECT_EQ(ForeColorOf(value), kFore) << value->objectName().toStdString();
        EXPECT_EQ(BackColorOf(value), kBack) << value->objectName().toStdString();
    }
    EXPECT_EQ(f.ProgressBar->BackColor(), kBack);
    EXPECT_EQ(f.ProgressBar->BarColor(), kFore);
    EXPECT_EQ(f.ProgressBar->BarColor2(), kFore);
}

TEST_F(SetSkinTest, AnEmptySkinDirectoryBecomesTheBaseSkin) {
    frmCD& f = form();
    useSkin(QString());
    skin("frmCD");
    EXPECT_EQ(app.v.sSkinDir, dir.path() + "/Skins/Base/");
    EXPECT_TRUE(readFile(path("VornapOptions.dat"))
                    .contains("\"//Skin Directory\",\"" + app.v.sSkinDir.toLocal8Bit() + "\","));
    EXPECT_EQ(imageOf(f.imgBackground->picture()),
              imageFile(dir.path() + "/Skins/Base/Background.bmp"));
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(SetSkinTest, AStartWhoseSkinFolderIsGoneWearsTheBaseSkinAndSavesIt) {
    const RobustnessRow row("Skin folder named in the options gone (moved, deleted, dropped "
                            "by an upgrade)",
                            "The player starts in the base skin and saves it as its skin");
    ASSERT_TRUE(QDir(testSkin).removeRecursively());
    frmCD& f = load();
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    const QString base = dir.path() + "/Skins/Base/";
    EXPECT_EQ(app.v.sSkinDir, base);
    EXPECT_TRUE(readFile(path("VornapOptions.dat"))
                    .contains("\"//Skin Directory\",\"" + base.toLocal8Bit() + "\","));
    EXPECT_EQ(imageOf(f.imgPlay->picture()), imageFile(base + "Play_up.bmp"));
}

TEST_F(SetSkinTest, EachDialogIsCreatedHiddenOnceAndSkinnedByItsRow) {
    DialogFactories factories(app);
    const std::pair<const char*, const char*> rows[] = {{"frmAbout", "SetSkin_05"},
                                                        {"frmEmail", "SetSkin_07"},
                                                        {"frmPref", "SetSkin_08"},
                                                        {"frmSetProxy", "SetSkin_04"}};
    for (const auto& [name, tag] : rows) {
        skin(name);
        EXPECT_EQ(app.v.ErrorTag, tag) << name;
        TestDialog* d = factories.dialog(name);
        ASSERT_NE(d, nullptr) << name;
        EXPECT_EQ(d->loads, 1) << name;
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(imageOf(d->imgBackground->picture()), imageFile(testSkin + "Background.bmp"));
        EXPECT_EQ(ForeColorOf(d->lblFore), kFore);
        EXPECT_FALSE(d->lblFore->autoFillBackground());
        EXPECT_EQ(ForeColorOf(d->chkBoth), kFore);
        EXPECT_EQ(BackColorOf(d->chkBoth), kBack);
        EXPECT_EQ(BackColorOf(d->fraBoth), kBack);
        EXPECT_EQ(ForeColorOf(d->fraBoth), kFore);
        EXPECT_EQ(BackColorOf(d->chkBack), kBack);
        EXPECT_NE(ForeColorOf(d->chkBack), kFore);
    }
    EXPECT_EQ(factories.created, QStringList({"frmAbout", "frmEmail", "frmPref", "frmSetProxy"}));
    EXPECT_EQ(app.frmAbout.data(), factories.dialog("frmAbout"));
    EXPECT_EQ(app.frmSetProxy.data(), factories.dialog("frmSetProxy"));
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(SetSkinTest, AFactoryThatStoresTheWindowOnlyAfterItsLoadCreatesItOnce) {
    int made = 0;
    std::unique_ptr<TestDialog> dialog;
    app.formFactories["frmAbout"] = [&](Application& a) -> QWidget* {
        ++made;
        dialog = std::make_unique<TestDialog>(a, QStringLiteral("frmAbout"));
        dialog->Form_Load(); // its nested SetSkin cannot find it yet
        a.frmAbout = dialog.get();
        return dialog.get();
    };
    skin("frmAbout");
    EXPECT_EQ(made, 1);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(app.frmAbout.data(), dialog.get());
    EXPECT_EQ(imageOf(dialog->imgBackground->picture()), imageFile(testSkin + "Background.bmp"));
    EXPECT_EQ(ForeColorOf(dialog->lblFore), kFore);
    EXPECT_EQ(app.v.ErrorTag, "SetSkin_05");
}

TEST_F(SetSkinTest, AnOpenDialogIsReskinnedWithoutBeingCreatedAgain) {
    DialogFactories factories(app);
    skin("frmPref");
    ASSERT_TRUE(installSkin(dir.path(), "Walnut"));
    useSkin(path("Skins/Walnut/"));
    skin("frmPref");
    EXPECT_EQ(factories.created.size(), 1);
    TestDialog* d = factories.dialog("frmPref");
    EXPECT_EQ(imageOf(d->imgBackground->picture()), imageFile(path("Skins/Walnut/Background.bmp")));
    EXPECT_EQ(ForeColorOf(d->lblFore), SkinColor(app.v.sSkinForeColor));
    EXPECT_NE(ForeColorOf(d->lblFore), kFore);
}

TEST_F(SetSkinTest, AWindowWithoutFactoryOrAnUnknownNameOnlyLoadsTheColours) {
    frmCD& f = form();
    app.formFactories.erase(QStringLiteral("frmAbout"));
    for (const char* name : {"frmAbout", "frmcd", "frmSelectSkinDirectory", ""}) {
        app.v.sSkinBackColor.clear();
        skin(name);
        EXPECT_EQ(app.v.sSkinBackColor, "1193046") << name;
    }
    EXPECT_EQ(app.v.ErrorTag, "SetSkin_04");
    EXPECT_TRUE(f.imgBackground->picture().isNull());
    EXPECT_NE(ForeColorOf(f.lblArtist), kFore);
    EXPECT_TRUE(app.frmAbout.isNull());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST_F(SetSkinTest, ABrokenSkinEndsTheProgramWithTheStepsTag) {
    form();
    const auto restore = [&] { ASSERT_TRUE(copySkin(builtSkinDir("Base"), testSkin)); };
    QFile::remove(testSkin + "Colors.txt");
    EXPECT_EQ(fatalText("frmCD"), "File not found\rSetSkin_03");
    writeFile(testSkin + "Colors.txt", "\"//Back Color\",1193046,\"//Fore Color\"");
    EXPECT_EQ(fatalText("frmCD"), "Input past end of file\rSetSkin_03");
    writeFile(testSkin + "Colors.txt", "\"//Back Color\",\"dark\",\"//Fore Color\",\"0\"");
    EXPECT_EQ(fatalText("frmCD"), "Type mismatch\rSetSkin_04");
    restore();
    QFile::remove(testSkin + "Background.bmp");
    EXPECT_EQ(fatalText("frmCD"), "File not found\rSetSkin_04");
    restore();
    writeFile(testSkin + "Pause_up.bmp", "BM not really a bitmap");
    EXPECT_EQ(fatalText("frmCD"), "Invalid picture\rSetSkin_04");
    // Without its trailing separator the directory fails at the first file.
    restore();
    useSkin(path("Skins/Test"));
    EXPECT_EQ(fatalText("frmCD"), "File not found\rSetSkin_03");
}
