#include "app/fatal.h"
#include "support/apptest.h"
#include "support/files.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

struct StartUp : ::testing::Test, AppFixture {
    void writeOptions(const QString& drive, const QString& trayOnly = QStringLiteral("0")) {
        writeOptionsFile(dir.path(), {.drives = drive, .drive = drive, .trayOnly = trayOnly});
    }
    void SetUp() override {
        writeOptions(QStringLiteral("E:\\"));
        app.v.sCDDrive = QStringLiteral("E:\\");
    }
};

} // namespace

TEST_F(StartUp, ReadsTheOptionsThenClosesAllAndOpensTheDriveInUseAsCd1) {
    writeOptions(QStringLiteral("G:\\"));
    load();
    EXPECT_EQ(app.v.sCDDrive, "G:\\");
    const auto& sent = tp.mci->commands;
    const auto closeAll = std::find(sent.begin(), sent.end(), "close all");
    ASSERT_NE(closeAll, sent.end());
    ASSERT_NE(closeAll + 1, sent.end());
    EXPECT_EQ(*(closeAll + 1), "open G:\\ type cdaudio alias cd1 wait shareable");
}

TEST_F(StartUp, LeavesTheStoppedStateWithTheDiscNotYetTakenIn) {
    frmCD& f = form();
    f.Form_Load();
    const Variables& v = app.v;
    EXPECT_TRUE(v.bStopped);
    EXPECT_FALSE(v.bPlaying);
    EXPECT_FALSE(v.bPaused);
    EXPECT_FALSE(v.bCDInDrive);
    EXPECT_TRUE(v.bLoadCD);
    EXPECT_EQ(v.iCurrentTrack, 1);
    EXPECT_EQ(f.lblTime->text(), "Loading...");
    EXPECT_EQ(v.ErrorTag, "VNPLoad_08");
    EXPECT_EQ(app.helpFile, path("vornap_help.html"));
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    // The disc watcher runs; the clock waits for a disc.
    EXPECT_TRUE(f.tmrCDCheck->isActive());
    EXPECT_FALSE(f.tmrTime->isActive());
    EXPECT_TRUE(tp.windowStyle->writes.empty()); // window mode leaves the style alone
    f.tmrCDCheck->stop();
}

// A second start shows the running player and ends; a start that cannot
// even make its lock fails and says so. Neither does anything else.
TEST_F(StartUp, ASecondStartOrOneWithoutALockEndsBeforeAnythingIsDone) {
    struct Row {
        bool otherRunning;
        const char* failure;
        int status;
        int showsAsked;
    };
    for (const Row& r :
         {Row{true, "", 0, 1}, Row{false, "its lock file cannot be created", 1, 0}}) {
        tp.instanceLock->otherRunning = r.otherRunning;
        tp.instanceLock->failureText = r.failure;
        tp.instanceLock->showsAsked = 0;
        try {
            form().Form_Load();
            ADD_FAILURE() << "the start went on: " << r.failure;
        } catch (const ProcessEnded& e) {
            EXPECT_EQ(e.status, r.status) << r.failure;
        }
        EXPECT_EQ(tp.instanceLock->showsAsked, r.showsAsked) << r.failure;
        EXPECT_TRUE(tp.mci->commands.empty()) << r.failure;
        EXPECT_FALSE(form().isVisible());
    }
}

TEST_F(StartUp, TrayOnlyClearsTheApplicationWindowBitAtTheEnd) {
    writeOptions(QStringLiteral("E:\\"), QStringLiteral("1"));
    load();
    ASSERT_EQ(tp.windowStyle->writes.size(), 1u);
    EXPECT_EQ(tp.windowStyle->writes.back() & platform::WS_EX_APPWINDOW, 0);
    EXPECT_EQ(tp.windowStyle->writes.back() & 0x100, 0x100);
}

TEST_F(StartUp, ShutdownDeletesTheTrayIconThenStopsAndClosesTheDevice) {
    frmCD& f = load();
    tp.mci->commands.clear();
    f.close();
    EXPECT_TRUE(f.unloaded());
    EXPECT_EQ(tp.mci->commands, (std::vector<std::string>{"stop cd1 wait", "close all"}));
    ASSERT_FALSE(tp.tray->calls.empty());
    EXPECT_EQ(tp.tray->calls.back().message, platform::NIM_DELETE);
    EXPECT_FALSE(f.tmrCDCheck->isActive());
}

TEST_F(StartUp, ExitUnloadsTheOtherWindows) {
    frmCD& f = load();
    QPointer<QWidget> about = new QWidget;
    app.frmAbout = about;
    f.mnuExit->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(about.isNull());
}

namespace {
struct Fatal : ::testing::Test, AppFixture {};
} // namespace

TEST_F(Fatal, AFailureShowsDescriptionReturnAndTagThenEndsTheProcess) {
    load();
    tp.tray->calls.clear();
    tp.mci->commands.clear();
    bool after = false;
    try {
        guarded(app, [&] {
            app.v.ErrorTag = QStringLiteral("GetDriveType_04.2");
            CInt(40000.0);
            after = true;
        });
        FAIL() << "the process went on";
    } catch (const ProcessEnded& e) {
        EXPECT_NE(e.status, 0);
    }
    EXPECT_FALSE(after);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text, "Overflow\rGetDriveType_04.2");
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Vornap");
    // No shutdown steps: the icon stays and the device is not closed.
    EXPECT_TRUE(tp.tray->calls.empty());
    EXPECT_TRUE(tp.mci->commands.empty());
}

TEST_F(Fatal, AHandlerWithoutItsOwnFailureHandlerStillEndsTheProgramWithABox) {
    EXPECT_THROW(unhandled(app, [] { throw errors::fileNotFound(); }), ProcessEnded);
    ASSERT_EQ(tp.messageBox->boxes.size(), 1u);
    EXPECT_EQ(tp.messageBox->boxes[0].text, "Run-time error '53':\r\rFile not found");
}

TEST(FatalExit, TheRealProcessEndsAtOnceWithANonZeroStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTemporaryDir dir;
            TestPlatform tp(dir.path());
            tp.platform.process = std::make_unique<platform::RealProcessControl>();
            Application app(tp.platform);
            app.v.ErrorTag = QStringLiteral("CheckOptions_02");
            guarded(app, [] { throw errors::inputPastEndOfFile(); });
        },
        ::testing::ExitedWithCode(1), "");
}
