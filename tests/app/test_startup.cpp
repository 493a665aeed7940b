#include "app/fatal.h"
#include "mpris/mpris.h"
#include "support/apptest.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

struct StartUp : ::testing::Test, AppFixture {};

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
