#include "test_mci_fixture.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using namespace platform::mcierr;

namespace {

struct WorkedExample : MciFixture {
    WorkedExample() {
        cd.table->addVirtualDrive('E', write(workedExample()));
        EXPECT_EQ(send(openCd1).answer, "1");
    }
};

std::string e(std::uint32_t code) {
    return "error " + std::to_string(code);
}

// Each command in turn: its answer, or e(code) with an empty answer when it failed.
void expectAnswers(MciFixture& f, const std::vector<std::pair<std::string, std::string>>& rows) {
    for (const auto& [command, expected] : rows) {
        const auto r = f.send(command);
        EXPECT_EQ(r.code ? e(r.code) + r.answer : r.answer, expected) << command;
    }
}

} // namespace

TEST(MciAnswers, WorkedExampleUnderEachTimeFormatAliasAndCase) {
    WorkedExample f;
    expectAnswers(f, {
                         // Every open starts in msf.
                         {"status cd1 position", "00:02:00"},
                         {"status cd1 length track 1", "04:13:25"},
                         {"status cd1 position track 2", "04:15:25"},
                         {"status cd1 number of tracks wait", "2"},
                         {"SET CD1 TIME FORMAT TMSF wait", ""},
                         {"status cd1 length track 2 WAIT", "04:06:49"},
                         {"status cd1 length", "08:19:74"},
                         {"status cd1 position track 2", "02:00:00:00"},
                         {"status cd1 position", "01:00:00:00"},
                         {"set cd1 time format milliseconds", ""},
                         {"status cd1 time format", "milliseconds"},
                         {"status cd1 length track 1", "253334"},
                         {"status cd1 length track 2", "246654"},
                         {"status cd1 length", "499987"},
                         {"status cd1 position track 2", "255334"},
                         {"status cd1 position track 1", "2001"},
                         {"STATUS Cd1 Media Present", "true"},
                         // Every alias opens the same drive with the lowest free id.
                         {"open e:\\ type cdaudio alias CDINFO wait shareable", "2"},
                         {"open E: type cdaudio alias CDCheck wait shareable", "3"},
                         {"close CDINFO", ""},
                         {"open E:\\ type cdaudio alias cd3 wait shareable", "2"},
                         {"status cdcheck media present wait", "true"},
                         {"close all", ""},
                         {"status cd1 media present", e(invalidDeviceName)},
                         {openCd1, "1"},
                         {"status cd1 time format", "msf"},
                     });
}

TEST(MciAnswers, FailuresGiveTheirCodesAndAnEmptyBuffer) {
    WorkedExample f;
    // A failed query must not leave a "true" in the caller's buffer.
    char buffer[30];
    std::strcpy(buffer, "true");
    EXPECT_EQ(f.cd.device->sendString("status cd9 media present", buffer, 30), invalidDeviceName);
    EXPECT_EQ(buffer[0], '\0');
    // Nor an answer too long for it.
    char small[3];
    EXPECT_NE(f.cd.device->sendString("status cd1 media present", small, sizeof small), 0u);
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(f.cd.device->sendString("status cd1 media present", nullptr, 0), 0u);

    expectAnswers(f, {
                         {"close nothere", e(invalidDeviceName)},
                         {"play nothere from 1", e(invalidDeviceName)},
                         {openCd1, e(duplicateAlias)},
                         {"open C:\\ type cdaudio alias x wait shareable", e(invalidFile)},
                         {"open  type cdaudio alias cd1 wait shareable", e(invalidFile)},
                         {"open Data type cdaudio alias y", e(invalidFile)},
                         {"set cd1 time format tmsf", ""},
                         {"status cd1 length track 0", e(outOfRange)},
                         {"status cd1 length track 3", e(outOfRange)},
                         {"status cd1 position track 3", e(outOfRange)},
                         {"status cd1 position track 0", e(outOfRange)},
                         {"play cd1 from 0", e(outOfRange)},
                         {"play cd1 from 3", e(outOfRange)},
                         {"seek cd1 to 3", e(outOfRange)},
                         {"play cd1 from 2 to 1", e(outOfRange)},
                         {"frobnicate cd1", e(unrecognizedCommand)},
                         {"status cd1 colour", e(unrecognizedKeyword)},
                         {"play cd1 from 1 backwards", e(unrecognizedKeyword)},
                         {"status cd1", e(missingParameter)},
                         {"status all media present", e(cannotUseAll)},
                         {"", e(missingCommandString)},
                         {"set cd1 time format furlongs", e(badTimeFormat)},
                         {"status cd1 length track x", e(badInteger)},
                         {"close all", ""},
                         {"close all", ""},
                         // A second alias needs the first opened shareable.
                         {"open E:\\ type cdaudio alias a", "1"},
                         {"open E:\\ type cdaudio alias b shareable", e(mustUseShareable)},
                     });
}

TEST(MciAnswers, EmptyDriveAnswersFalseAndNotReady) {
    MciFixture f;
    QDir(f.dir.path()).mkdir("tray");
    f.cd.table->addVirtualDrive('F', f.dir.filePath("tray"));
    expectAnswers(f, {
                         {"open F:\\ type cdaudio alias cdf wait shareable", "1"},
                         {"status cdf media present", "false"},
                         {"status cdf number of tracks wait", e(deviceNotReady)},
                         {"status cdf length", e(deviceNotReady)},
                         {"status cdf position", e(deviceNotReady)},
                         {"play cdf from 1", e(deviceNotReady)},
                         {"status cdf mode", "not ready"},
                     });
}
