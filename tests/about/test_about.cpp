#include "about/frmabout.h"
#include "faults/robustnessrow.h"
#include "options/frmpref.h"
#include "platform/shell.h"
#include "support/apptest.h"
#include "support/dialogoptions.h"
#include "support/files.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct About : ::testing::Test, AppFixture {
    void SetUp() override {
        writeOptionsWithSkin(dir.path());
        qputenv("VORNAP_WEB_SERVER", "http://127.0.0.1:9");
    }
    void TearDown() override { qunsetenv("VORNAP_WEB_SERVER"); }
    // Loaded and shown as a real opening leaves it: destroyed when closed.
    QPointer<frmAbout> open() {
        auto* box = new frmAbout(app, nullptr, {1, 2, 3});
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->Form_Load();
        box->show();
        return box;
    }
};

} // namespace

// Each link opens its page on the maker's site and closes the box.
TEST_F(About, ALinkOpensItsPageAndClosesTheBox) {
    for (const auto& [link, page] : {std::pair{&frmAbout::lblHelpLink, "/indexhelp.html"},
                                     {&frmAbout::lblWebSite, "/indexvnp.html"}}) {
        tp.shell->opened.clear();
        QPointer<frmAbout> box = open();
        QTest::mouseClick(box->*link, Qt::LeftButton);
        EXPECT_EQ(tp.shell->opened, QStringList{QString("http://127.0.0.1:9") + page});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull()) << page;
    }
}

// The desktop's own opener on a desktop that opens nothing (the offscreen
// one, like a desktop without a browser): each way out names what it could
// not open, and the About box's link still closes the box.
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
    QPointer<frmAbout> about;
    const std::tuple<const char*, std::function<void()>, QString> cases[] = {
        {"help", [&] { f.mnuHelpClick->trigger(); }, app.helpFile},
        {"banner", [&] { QTest::mouseClick(preferences.imgFreeDB, Qt::LeftButton); }, "://"},
        {"About link", [&] { QTest::mouseClick((about = open())->lblWebSite, Qt::LeftButton); },
         "vnp.html"},
        {"help file missing",
         [&] { QFile::remove(app.helpFile) ? f.mnuHelpClick->trigger() : void(); }, app.helpFile},
    };
    for (const auto& [name, act, named] : cases) {
        SCOPED_TRACE(name);
        tp.messageBox->boxes.clear();
        act();
        ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
        EXPECT_TRUE(tp.messageBox->boxes[0].text.contains(named))
            << tp.messageBox->boxes[0].text.toStdString();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
}

// A skin change loads the box (the skin journey sees it skinned); the Help menu shows that one,
// with the program's version, modally, and it goes when closed.
TEST_F(About, TheHelpMenuShowsTheBoxASkinChangeLoaded) {
    form().show();
    RegisterAboutForm(app);
    auto* hidden = qobject_cast<frmAbout*>(app.formFactories["frmAbout"](app));
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->lblVersion->text(), AboutVersionCaption(ProgramVersion()));
    // A revision other than zero follows the minor number directly.
    EXPECT_EQ(QStringList({AboutVersionCaption({3, 0, 0}), AboutVersionCaption({2, 0, 15})}),
              QStringList({"Version 3.0", "Version 2.015"}));
    QWidget* shown = nullptr;
    QTimer::singleShot(0, [&] {
        shown = QApplication::activeModalWidget();
        if (shown)
            shown->close();
    });
    form().mnuAbout_Click();
    EXPECT_EQ(shown, hidden);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(app.frmAbout.isNull());
}
