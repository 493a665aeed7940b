#include "options/frmpref.h"
#include "platform/userdata.h"
#include "skins/colors.h"
#include "skins/dirlistbox.h"
#include "skins/frmselectskindirectory.h"
#include "skins/skintest.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

const QString kNoSkin =
    QStringLiteral("                No Vornap skin in selected directory!!\r"
                   "*Be sure to double click the directory before applying the skin*");

struct Chooser : ::testing::Test, AppFixture {
    void SetUp() override {
        ASSERT_TRUE(installSkin(dir.path(), "Walnut"));
        base = path("Skins/Base/");
        writeOptions(dir.path(), base);
        app.v.sSkinDir = base;
        app.v.sSkinForm = QStringLiteral("frmCD");
        form();
        SetSkin(app);
        optionsBefore = readFile(path("VornapOptions.dat"));
    }

    frmSelectSkinDirectory& open() {
        chooser = std::make_unique<frmSelectSkinDirectory>(app);
        chooser->Form_Load();
        chooser->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(chooser.get()));
        current = chooser.get();
        return *chooser;
    }
    // Where the entry of a directory is, in the chooser window's coordinates:
    // the clicks go through the window system's path, which makes a double
    // click of two quick clicks as a real one is.
    QPoint entryPoint(const QString& dirPath) {
        QTreeWidgetItem* item = current->Dir1->entryFor(dirPath);
        EXPECT_NE(item, nullptr) << dirPath.toStdString();
        if (!item)
            return {};
        const QPoint inView = current->Dir1->visualItemRect(item).center();
        return current->Dir1->viewport()->mapTo(current, inView);
    }
    void click(const QString& dirPath) {
        QTest::mouseClick(current->windowHandle(), Qt::LeftButton, {}, entryPoint(dirPath));
    }
    void doubleClick(const QString& dirPath) {
        QTest::mouseDClick(current->windowHandle(), Qt::LeftButton, {}, entryPoint(dirPath));
    }
    void apply() { QTest::mouseClick(current->cmdOK, Qt::LeftButton); }

    // A copy of the base skin under Skins/<name>/.
    QString skinCopy(const QString& name) {
        const QString d = path("Skins/" + name + "/");
        EXPECT_TRUE(copySkin(base, d));
        return d;
    }
    QImage mainBackground() { return imageOf(form().imgBackground->picture()); }

    void expectUnchanged() {
        EXPECT_EQ(app.v.sSkinDir, base);
        EXPECT_EQ(readFile(path("VornapOptions.dat")), optionsBefore);
        EXPECT_EQ(mainBackground(), imageFile(base + "Background.bmp"));
    }
    void expectRefused() {
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_EQ(tp.messageBox->boxes[0].text, kNoSkin);
        EXPECT_EQ(tp.messageBox->boxes[0].caption, "No Skin!");
        EXPECT_TRUE(chooser->isVisible());
        expectUnchanged();
    }
    void applyAfterOpening(const QString& skinDir) {
        open();
        doubleClick(skinDir);
        ASSERT_EQ(chooser->Dir1->path() + '/', skinDir);
        apply();
    }

    QString base;
    QByteArray optionsBefore;
    std::unique_ptr<frmSelectSkinDirectory> chooser;
    frmSelectSkinDirectory* current = nullptr; // the one the clicks go to
};

} // namespace

TEST_F(Chooser, OpensOnTheSkinsFolderWithItsSkinsListed) {
    frmSelectSkinDirectory& c = open();
    EXPECT_EQ(QStringList({c.windowTitle(), c.cmdOK->text(), c.cmdCancel->text()}),
              QStringList({"Select Skin Directory", "&Apply Skin", "&Cancel"}));
    EXPECT_EQ(c.Dir1->path(), path("Skins"));
    EXPECT_NE(c.Dir1->entryFor(path("Skins/Base")), nullptr);
    EXPECT_NE(c.Dir1->entryFor(path("Skins/Walnut")), nullptr);
    EXPECT_NE(c.Dir1->entryFor(dir.path()), nullptr); // the way back up
}

TEST_F(Chooser, WithoutASkinsFolderItStartsAtTheProgramsFolder) {
    QDir(path("Skins")).removeRecursively();
    EXPECT_EQ(open().Dir1->path(), dir.path());
}

TEST_F(Chooser, AHighlightedButUnopenedSkinIsNotTakenReturnOpensIt) {
    open();
    click(path("Skins/Walnut"));
    EXPECT_EQ(chooser->Dir1->currentItem(), chooser->Dir1->entryFor(path("Skins/Walnut")));
    EXPECT_EQ(chooser->Dir1->path(), path("Skins"));
    apply();
    expectRefused();
    tp.messageBox->boxes.clear();
    QTest::keyClick(chooser->Dir1, Qt::Key_Return);
    EXPECT_EQ(chooser->Dir1->path(), path("Skins/Walnut"));
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(app.v.sSkinDir, base);
}

TEST_F(Chooser, AnOpenedSkinIsSavedAndEveryWindowReskinnedInOrder) {
    DialogFactories factories(app);
    const QImage walnut = imageFile(path("Skins/Walnut/Background.bmp"));
    QStringList mainWindowSkinnedWhenCreated;
    factories.onCreate = [&](const QString& name) {
        if (mainBackground() == walnut)
            mainWindowSkinnedWhenCreated << name;
    };
    applyAfterOpening(path("Skins/Walnut/"));

    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(app.v.sSkinDir, path("Skins/Walnut/"));
    EXPECT_TRUE(
        readFile(path("VornapOptions.dat"))
            .contains("\"//Skin Directory\",\"" + path("Skins/Walnut/").toLocal8Bit() + "\","));
    EXPECT_EQ(mainBackground(), walnut);
    EXPECT_EQ(ForeColorOf(form().lblArtistLabel), SkinColor(app.v.sSkinForeColor));
    EXPECT_EQ(factories.created, QStringList({"frmAbout", "frmEmail", "frmPref", "frmSetProxy"}));
    EXPECT_EQ(mainWindowSkinnedWhenCreated, QStringList({"frmEmail", "frmPref", "frmSetProxy"}));
    for (const auto& d : factories.dialogs) {
        EXPECT_EQ(imageOf(d->imgBackground->picture()), walnut) << d->name.toStdString();
        EXPECT_FALSE(d->isVisible());
    }
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(chooser->result(), QDialog::Accepted);
}

TEST_F(Chooser, TheCurrentSkinCanBeChosenAgain) {
    applyAfterOpening(base);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    expectUnchanged();
    EXPECT_EQ(chooser->result(), QDialog::Accepted);
}

TEST_F(Chooser, FileNamesInAnyCaseAreAccepted) {
    const QString mixed = skinCopy("Mixed");
    QDir d(mixed);
    for (const QString& file : d.entryList(QDir::Files))
        ASSERT_TRUE(d.rename(file, file.toUpper()));
    applyAfterOpening(mixed);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(app.v.sSkinDir, mixed);
    EXPECT_EQ(mainBackground(), imageFile(mixed + "BACKGROUND.BMP"));
}

TEST_F(Chooser, FoldersThatAreNoUsableSkinAreRefused) {
    const QString incomplete = skinCopy("Incomplete");
    QFile::remove(incomplete + "Fwd_down.bmp");
    const QString broken = skinCopy("Broken");
    writeFile(broken + "Stop_down.bmp", "BM this is no bitmap");
    const QString badColour = skinCopy("BadColour");
    writeFile(badColour + "Colors.txt", "\"//Back Color\",\"black\",\"//Fore Color\",\"255\"");
    const QString shortColours = skinCopy("ShortColours");
    writeFile(shortColours + "Colors.txt", "\"//Back Color\",\"0\",\"//Fore Color\"");
    for (const QString& skin : {incomplete, broken, badColour, shortColours}) {
        SCOPED_TRACE(skin.toStdString());
        tp.messageBox->boxes.clear();
        applyAfterOpening(skin);
        expectRefused();
    }
}

TEST_F(Chooser, APathWithADoubleQuoteIsRefusedWithItsOwnMessage) {
    const QString quoted = skinCopy("Say \"Hi\"");
    applyAfterOpening(quoted);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_TRUE(tp.messageBox->boxes[0].text.contains("double quote"));
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Select Skin Directory");
    EXPECT_TRUE(chooser->isVisible());
    expectUnchanged();
}

TEST_F(Chooser, CancelChangesNothing) {
    open();
    doubleClick(path("Skins/Walnut"));
    QTest::mouseClick(chooser->cmdCancel, Qt::LeftButton);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(chooser->result(), QDialog::Rejected);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    expectUnchanged();
}

TEST_F(Chooser, ItsFactoryLoadsItHidden) {
    RegisterSkinChooserForm(app);
    std::unique_ptr<QWidget> made(app.formFactories.at("frmSelectSkinDirectory")(app));
    ASSERT_EQ(app.frmSelectSkinDirectory.data(), made.get());
    EXPECT_EQ(static_cast<frmSelectSkinDirectory*>(made.get())->Dir1->path(), path("Skins"));
    EXPECT_FALSE(made->isVisible());
}

TEST_F(Chooser, FromThePreferencesANewSkinReachesTheMainWindowAndThePreferences) {
    RegisterSkinChooserForm(app);
    registerPreferencesDialog(app);
    auto* pref = qobject_cast<frmPref*>(app.formFactories.at("frmPref")(app));
    ASSERT_NE(pref, nullptr);
    std::unique_ptr<frmPref> owned(pref);
    pref->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pref));
    const QString shownBefore = pref->lblSkinDir->text();

    bool chose = false;
    QTimer::singleShot(0, [&] {
        current = qobject_cast<frmSelectSkinDirectory*>(app.frmSelectSkinDirectory.data());
        ASSERT_NE(current, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(current));
        EXPECT_TRUE(current->isModal());
        doubleClick(path("Skins/Walnut"));
        apply();
        chose = true;
    });
    QTest::mouseClick(pref->cmdSkinBrowse, Qt::LeftButton);

    ASSERT_TRUE(chose);
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    const QImage walnut = imageFile(path("Skins/Walnut/Background.bmp"));
    EXPECT_EQ(app.v.sSkinDir, path("Skins/Walnut/"));
    EXPECT_EQ(mainBackground(), walnut);
    EXPECT_EQ(imageOf(pref->imgBackground->picture()), walnut);
    EXPECT_EQ(ForeColorOf(pref->lblSkinDirLabel), SkinColor(app.v.sSkinForeColor));
    // The path shown is the one the preferences opened with.
    EXPECT_EQ(pref->lblSkinDir->text(), shownBefore);
    EXPECT_TRUE(pref->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app.frmSelectSkinDirectory.isNull()) << "unloaded when closed";
}

TEST_F(Chooser, ThePreferencesRepaintFocusesOkYetTabStillMovesOn) {
    registerPreferencesDialog(app);
    std::unique_ptr<QWidget> made(app.formFactories.at("frmPref")(app));
    auto* pref = qobject_cast<frmPref*>(made.get());
    ASSERT_NE(pref, nullptr);
    pref->show();
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

TEST_F(Chooser, AnInstalledCopyListsTheShippedSkinsBesideTheUsersOwnAndReadsThemInPlace) {
    // The shipped Walnut lives under a read-only prefix and is linked in; the
    // user's own Base folder stays theirs.
    QTemporaryDir prefix;
    const QString shipped = prefix.filePath("share/vornap");
    ASSERT_TRUE(QDir(path("Skins/Walnut")).removeRecursively());
    ASSERT_TRUE(installSkin(shipped, "Walnut"));
    ASSERT_TRUE(platform::prepareUserAppPath({dir.path(), shipped}));
    ASSERT_TRUE(QFileInfo(path("Skins/Walnut")).isSymLink());
    skinCopy("Mine");

    open();
    for (const char* skin : {"Base", "Walnut", "Mine"})
        EXPECT_NE(chooser->Dir1->entryFor(path("Skins/") + skin), nullptr) << skin;
    chooser->reject();
    applyAfterOpening(path("Skins/Walnut/"));
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    EXPECT_EQ(app.v.sSkinDir, path("Skins/Walnut/"));
    EXPECT_EQ(mainBackground(), imageFile(shipped + "/Skins/Walnut/Background.bmp"));
}
