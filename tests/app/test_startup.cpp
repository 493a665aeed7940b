#include "app/fatal.h"
#include "mpris/mpris.h"
#include "support/apptest.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {
struct StartUp : ::testing::Test, AppFixture {};
} // namespace

// A second start shows the running player and ends; a start that cannot
// even make its lock fails and says so. Neither does anything else.
TEST_F(StartUp, ASecondStartOrOneWithoutALockEndsBeforeAnythingIsDone) {
    for (const auto& [other, failure, status, shows] :
         {std::tuple{true, "", 0, 1}, std::tuple{false, "its lock file cannot be created", 1, 0}}) {
        tp.instanceLock->otherRunning = other;
        tp.instanceLock->failureText = failure;
        tp.instanceLock->showsAsked = 0;
        try {
            form().Form_Load();
            ADD_FAILURE() << "the start went on: " << failure;
        } catch (const ProcessEnded& e) {
            EXPECT_EQ(e.status, status) << failure;
        }
        EXPECT_EQ(tp.instanceLock->showsAsked, shows) << failure;
        EXPECT_TRUE(tp.mci->commands.empty()) << failure;
        EXPECT_FALSE(form().isVisible());
    }
}

// A failure shows its description and the step's tag, then ends the process
// at once: no shutdown steps, the icon stays and the device is not closed.
TEST_F(StartUp, AFailureShowsDescriptionAndTagThenEndsTheProcess) {
    load();
    tp.tray->calls.clear();
    tp.mci->commands.clear();
    bool after = false;
    EXPECT_THROW(guarded(app,
                         [&] {
                             app.v.ErrorTag = QStringLiteral("GetDriveType_04.2");
                             CInt(40000.0);
                             after = true;
                         }),
                 ProcessEnded);
    EXPECT_THROW(unhandled(app, [] { throw errors::fileNotFound(); }), ProcessEnded);
    EXPECT_FALSE(after);
    ASSERT_EQ(tp.messageBox->boxes.size(), 2u);
    EXPECT_EQ(tp.messageBox->boxes[0].text, "Overflow\rGetDriveType_04.2");
    EXPECT_EQ(tp.messageBox->boxes[0].caption, "Vornap");
    EXPECT_EQ(tp.messageBox->boxes[1].text, "Run-time error '53':\r\rFile not found");
    EXPECT_TRUE(tp.tray->calls.empty());
    EXPECT_TRUE(tp.mci->commands.empty());
}

TEST(FatalExit, TheRealProcessEndsAtOnceWithANonZeroStatus) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTemporaryDir dir;
            TestPlatform tp(dir.path());
            tp.platform.process = std::make_unique<platform::RealProcessControl>();
            Application app(tp.platform);
            guarded(app, [] { throw errors::inputPastEndOfFile(); });
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(StartUp, WithoutASessionBusMprisStartsNothingAndSaysNothing) {
    form();
    MprisService service(app,
                         QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                       QStringLiteral("nobus")));
    EXPECT_FALSE(service.start());
    EXPECT_TRUE(app.eventObservers.empty());
    EXPECT_TRUE(tp.messageBox->boxes.empty());
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}
