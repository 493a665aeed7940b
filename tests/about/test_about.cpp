#include "about/frmabout.h"
#include "faults/robustnessrow.h"
#include "options/frmpref.h"
#include "platform/shell.h"
#include "support/apptest.h"
#include "support/dialogoptions.h"
#include "support/files.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

class FailingShell final : public platform::Shell {
public:
    bool shellExecute(QWidget*, const QString&, const QString& file, const QString&, const QString&,
                      int) override {
        opened << file;
        return false;
    }
    QStringList opened;
};

struct About : ::testing::Test, AppFixture {
    void SetUp() override {
        writeOptionsWithSkin(dir.path());
        qputenv("VORNAP_WEB_SERVER", "http://127.0.0.1:9");
    }
    void TearDown() override { qunsetenv("VORNAP_WEB_SERVER"); }

    // Loaded and shown as a real opening leaves it: destroyed when closed.
    QPointer<frmAbout> open(VersionParts version = {1, 2, 3}) {
        auto* box = new frmAbout(app, nullptr, version);
        box->setAttribute(Qt::WA_DeleteOnClose);
        app.frmAbout = box;
        box->Form_Load();
        box->show();
        return box;
    }
    static void flushDeletes() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST(AboutVersionCaption, ARevisionOtherThanZeroFollowsTheMinorNumberDirectly) {
    EXPECT_EQ(AboutVersionCaption({1, 2, 0}), "Version 1.2");
    EXPECT_EQ(AboutVersionCaption({3, 0, 0}), "Version 3.0");
    EXPECT_EQ(AboutVersionCaption({1, 2, 10}), "Version 1.210");
    EXPECT_EQ(AboutVersionCaption({2, 0, 15}), "Version 2.015");
}

TEST_F(About, LoadShowsTheCaptionsAndAsksForItsSkin) {
    auto box = open({1, 2, 10});
    EXPECT_EQ(
        QStringList({box->windowTitle(), box->lblTitle->text(), box->lblVersion->text(),
                     box->lblHelpLink->text(), box->lblWebSite->text(), box->cmdOK->text()}),
        QStringList({"About Vornap", "Vornap", "Version 1.210", "Click here for Help on the Web",
                     "Click here to visit the Vornap website", "&OK"}));
    EXPECT_EQ(app.v.sSkinForm, "frmAbout");
    box->close();
}

TEST_F(About, HelpLinkOpensTheHelpPageAndCloses) {
    auto box = open();
    QTest::mouseClick(box->lblHelpLink, Qt::LeftButton);
    EXPECT_EQ(tp.shell->opened, QStringList{"http://127.0.0.1:9/indexhelp.html"});
    EXPECT_EQ(tp.shell->showCommands, std::vector<int>{1});
    flushDeletes();
    EXPECT_TRUE(box.isNull());
    EXPECT_TRUE(app.frmAbout.isNull());
}

TEST_F(About, WebSiteLinkClosesEvenWhenNoBrowserStarts) {
    auto shell = std::make_unique<FailingShell>();
    FailingShell* failing = shell.get();
    tp.platform.shell = std::move(shell);
    auto box = open();
    QTest::mouseClick(box->lblWebSite, Qt::LeftButton);
    EXPECT_EQ(failing->opened, QStringList{"http://127.0.0.1:9/indexvnp.html"});
    flushDeletes();
    EXPECT_TRUE(box.isNull());
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_TRUE(tp.messageBox->boxes[0].text.contains(failing->opened[0]));
}

// The desktop's own opener on a desktop that opens nothing (the offscreen
// one, like a desktop without a browser): each way out names what it could
// not open.
TEST_F(About, WhatTheDesktopCannotOpenIsNamedInABox) {
    const RobustnessRow row("Help, a link of the About box or the FreeDB banner with no browser "
                            "or viewer to start, or no help file",
                            "A box names the address or file that could not be opened");
    tp.platform.shell = std::make_unique<platform::DesktopShell>();
    tp.platform.help = std::make_unique<platform::DesktopHelpViewer>();
    writeOptionsFile(dir.path(), {.skinDir = path("Skins/Base/"), .useCDDB = "1"});
    frmCD& f = load();
    writeFile(app.helpFile, "<html>help</html>");
    frmPref preferences(app);
    preferences.Form_Load();
    struct Case {
        const char* name;
        std::function<void()> act;
        QString named;
    };
    const std::vector<Case> cases{
        {"help", [&] { f.mnuHelpClick->trigger(); }, app.helpFile},
        {"about link", [&] { QTest::mouseClick(open()->lblHelpLink, Qt::LeftButton); },
         "http://127.0.0.1:9/indexhelp.html"},
        {"banner", [&] { QTest::mouseClick(preferences.imgFreeDB, Qt::LeftButton); }, "://"},
        {"help file missing",
         [&] {
             QFile::remove(app.helpFile);
             f.mnuHelpClick->trigger();
         },
         app.helpFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tp.messageBox->boxes.clear();
        c.act();
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_TRUE(tp.messageBox->boxes[0].text.contains(c.named))
            << tp.messageBox->boxes[0].text.toStdString();
    }
    flushDeletes();
}

TEST_F(About, ASkinChangeCreatesItHiddenThroughItsFactory) {
    RegisterAboutForm(app);
    ASSERT_EQ(app.formFactories.count("frmAbout"), 1u);
    QWidget* created = app.formFactories["frmAbout"](app);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(app.frmAbout.data(), created);
    EXPECT_FALSE(created->isVisible());
    // The version comes from the program by default.
    EXPECT_EQ(static_cast<frmAbout*>(created)->lblVersion->text(),
              AboutVersionCaption(ProgramVersion()));
    delete created;
}

TEST_F(About, TheHelpMenuShowsItModallyAndReusesAHiddenOne) {
    frmCD& f = form();
    RegisterAboutForm(app);
    QWidget* hidden = app.formFactories["frmAbout"](app);
    QWidget* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget();
        if (shown)
            shown->close();
    });
    f.mnuAbout_Click();
    EXPECT_EQ(shown, hidden);
    flushDeletes();
    EXPECT_TRUE(app.frmAbout.isNull());
}
