#include "test_mci_fixture.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using namespace platform::mcierr;

namespace {

std::string e(std::uint32_t code) {
    return "error " + std::to_string(code);
}

} // namespace

// The commands the player sends, in the time formats it uses, and the
// failures its drives, options file and track arithmetic can bring about.
TEST(MciAnswers, WorkedExampleEmptyTrayAndFailures) {
    MciFixture f;
    f.cd.table->addVirtualDrive('E', f.write(workedExample()));
    f.cd.table->addVirtualDrive('F', f.tray());
    const std::vector<std::pair<std::string, std::string>> rows{
        {openCd1, "1"},
        // Every open starts in msf.
        {"status cd1 position", "00:02:00"},
        {"status cd1 length track 1", "04:13:25"},
        {"status cd1 number of tracks wait", "2"},
        {"set cd1 time format tmsf", ""},
        {"status cd1 length track 2", "04:06:49"},
        {"status cd1 length", "08:19:74"},
        {"status cd1 position track 2", "02:00:00:00"},
        {"status cd1 position", "01:00:00:00"},
        {"set cd1 time format milliseconds", ""},
        {"status cd1 length track 1", "253334"},
        {"status cd1 length", "499987"},
        {"status cd1 position track 2", "255334"},
        {"status cd1 position track 1", "2001"},
        // Every alias opens the same drive with the lowest free id.
        {"open E:\\ type cdaudio alias CDINFO wait shareable", "2"},
        {"open E:\\ type cdaudio alias CDCheck wait shareable", "3"},
        {"close CDINFO", ""},
        {"open E:\\ type cdaudio alias cd3 wait shareable", "2"},
        {"status CDCheck media present wait", "true"},
        {openCd1, e(duplicateAlias)},
        // The track after the last, as the watcher asks on the last track.
        {"status cd1 position track 3", e(outOfRange)},
        {"status cd1 length track 0", e(outOfRange)},
        {"play cd1 from 3", e(outOfRange)},
        {"open C:\\ type cdaudio alias x wait shareable", e(invalidFile)},
        {"open  type cdaudio alias y wait shareable", e(invalidFile)},
        {"close all", ""},
        {"close all", ""},
        {"status cd1 media present", e(invalidDeviceName)},
        {"close cd3", e(invalidDeviceName)},
        {openCd1, "1"},
        {"status cd1 position", "00:02:00"},
        {"open F:\\ type cdaudio alias cd3 wait shareable", "2"},
        {"status cd3 media present", "false"},
        {"status cd3 number of tracks wait", e(deviceNotReady)},
        {"status cd3 length", e(deviceNotReady)},
        {"status cd3 position", e(deviceNotReady)},
        {"play cd3 from 1", e(deviceNotReady)},
        {"status cd3 mode", "not ready"},
    };
    for (const auto& [command, expected] : rows) {
        const auto r = f.send(command);
        // A failure leaves the caller's buffer empty.
        EXPECT_EQ(r.code ? e(r.code) + r.answer : r.answer, expected) << command;
    }
    // Nor is an answer too long for the buffer left in it.
    char small[3] = "xx";
    EXPECT_NE(f.cd.device->sendString("status cd1 media present", small, sizeof small), 0u);
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(f.cd.device->sendString("status cd1 media present", nullptr, 0), 0u);
}
