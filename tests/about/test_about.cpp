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

// Records what it is asked to open; says whether a browser started.
class Shell final : public platform::Shell {
public:
    bool shellExecute(QWidget*, const QString&, const QString& file, const QString&, const QString&,
                      int) override {
        opened << file;
        return starts;
    }
    QStringList opened;
    bool starts = true;
};

struct About : ::testing::Test, AppFixture {
    void SetUp() override {
        writeOptionsWithSkin(dir.path());
        qputenv("VORNAP_WEB_SERVER", "http://127.0.0.1:9");
        auto s = std::make_unique<Shell>();
        shell = s.get();
        tp.platform.shell = std::move(s);
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
    Shell* shell = nullptr;
};

} // namespace

TEST(AboutVersionCaption, ARevisionOtherThanZeroFollowsTheMinorNumberDirectly) {
    EXPECT_EQ(AboutVersionCaption({1, 2, 0}), "Version 1.2");
    EXPECT_EQ(AboutVersionCaption({3, 0, 0}), "Version 3.0");
    EXPECT_EQ(AboutVersionCaption({1, 2, 10}), "Version 1.210");
    EXPECT_EQ(AboutVersionCaption({2, 0, 15}), "Version 2.015");
}

// Each link opens its page on the maker's site and closes the box, even when
// no browser starts.
TEST_F(About, ALinkOpensItsPageAndClosesTheBox) {
    const std::tuple<PlainLabel * frmAbout::*, const char*, bool> links[] = {
        {&frmAbout::lblHelpLink, "http://127.0.0.1:9/indexhelp.html", true},
        {&frmAbout::lblWebSite, "http://127.0.0.1:9/indexvnp.html", false}};
    for (const auto& [link, page, browserStarts] : links) {
        SCOPED_TRACE(page);
        shell->opened.clear();
        shell->starts = browserStarts;
        QPointer<frmAbout> box = open();
        QTest::mouseClick(box->*link, Qt::LeftButton);
        EXPECT_EQ(shell->opened, QStringList{page});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull());
        // A browser that does not start is said in a box naming the page.
        ASSERT_EQ(tp.messageBox->boxes.size(), browserStarts ? 0u : 1u);
        EXPECT_TRUE(browserStarts || tp.messageBox->boxes[0].text.contains(page));
    }
}

// The desktop's own opener on a desktop that opens nothing (the offscreen
// one, like a desktop without a browser): each way out names what it could
// not open (the banner's row tries the opener the About box's links use).
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
    const std::tuple<const char*, std::function<void()>, QString> cases[] = {
        {"help", [&] { f.mnuHelpClick->trigger(); }, app.helpFile},
        {"banner", [&] { QTest::mouseClick(preferences.imgFreeDB, Qt::LeftButton); }, "://"},
        {"help file missing",
         [&] {
             QFile::remove(app.helpFile);
             f.mnuHelpClick->trigger();
         },
         app.helpFile},
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
}

// A skin change loads the box (the skin journey sees it skinned); the Help menu shows that one,
// with the program's version, modally, and it goes when closed.
TEST_F(About, TheHelpMenuShowsTheBoxASkinChangeLoaded) {
    form().show();
    RegisterAboutForm(app);
    auto* hidden = qobject_cast<frmAbout*>(app.formFactories["frmAbout"](app));
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->lblVersion->text(), AboutVersionCaption(ProgramVersion()));
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
