#include "test_mci_fixture.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using platform::mcierr::deviceNotReady;
using platform::mcierr::duplicateAlias;
using platform::mcierr::invalidDeviceName;
using platform::mcierr::invalidFile;
using platform::mcierr::outOfRange;

namespace {

struct WorkedExample : MciFixture {
    WorkedExample() {
        cd.table->addVirtualDrive('E', write(workedExample()));
        EXPECT_EQ(send(openCd1).answer, "1");
    }
};

} // namespace

TEST(MciAnswers, WorkedExampleUnderTmsfAndMilliseconds) {
    WorkedExample f;
    EXPECT_EQ(f.ask("status cd1 number of tracks wait"), "2");
    f.send("set cd1 time format tmsf");
    EXPECT_EQ(f.ask("status cd1 length track 1"), "04:13:25");
    EXPECT_EQ(f.ask("status cd1 length track 2"), "04:06:49");
    EXPECT_EQ(f.ask("status cd1 length"), "08:19:74");
    EXPECT_EQ(f.ask("status cd1 position track 2"), "02:00:00:00");
    EXPECT_EQ(f.ask("status cd1 position"), "01:00:00:00");
    f.send("set cd1 time format milliseconds");
    EXPECT_EQ(f.ask("status cd1 length track 1"), "253334");
    EXPECT_EQ(f.ask("status cd1 length track 2"), "246654");
    EXPECT_EQ(f.ask("status cd1 length"), "499987");
    EXPECT_EQ(f.ask("status cd1 position track 2"), "255334");
    EXPECT_EQ(f.ask("status cd1 position track 1"), "2001");
    EXPECT_EQ(f.ask("status cd1 position"), "2001");
}

TEST(MciAnswers, TimeFormatIsMsfAfterEveryOpen) {
    WorkedExample f;
    EXPECT_EQ(f.ask("status cd1 position"), "00:02:00");
    EXPECT_EQ(f.ask("status cd1 length track 1"), "04:13:25");
    EXPECT_EQ(f.ask("status cd1 position track 2"), "04:15:25");
    f.send("set cd1 time format milliseconds");
    EXPECT_EQ(f.ask("status cd1 time format"), "milliseconds");
    f.send("close all");
    f.send(openCd1);
    EXPECT_EQ(f.ask("status cd1 time format"), "msf");
    EXPECT_EQ(f.ask("status cd1 position"), "00:02:00");
}

TEST(MciAnswers, VerbsKeywordsAndAliasesIgnoreCase) {
    WorkedExample f;
    EXPECT_EQ(f.ask("STATUS Cd1 Media Present"), "true");
    EXPECT_EQ(f.send("SET CD1 TIME FORMAT TMSF wait").code, 0u);
    EXPECT_EQ(f.ask("status cd1 length track 2 WAIT"), "04:06:49");
    EXPECT_EQ(f.send("Close CD1").code, 0u);
    EXPECT_EQ(f.code("status cd1 media present"), invalidDeviceName);
}

TEST(MciAnswers, EveryAliasOpensTheSameDriveWithLowestFreeId) {
    WorkedExample f;
    EXPECT_EQ(f.ask("open e:\\ type cdaudio alias CDINFO wait shareable"), "2");
    EXPECT_EQ(f.ask("open E: type cdaudio alias CDCheck wait shareable"), "3");
    f.send("close CDINFO");
    EXPECT_EQ(f.ask("open E:\\ type cdaudio alias cd3 wait shareable"), "2");
    EXPECT_EQ(f.ask("status cdcheck media present wait"), "true");
    EXPECT_EQ(f.ask("status CD3 number of tracks"), "2");
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

    EXPECT_EQ(f.send("close nothere").code, invalidDeviceName);
    EXPECT_EQ(f.send("play nothere from 1").code, invalidDeviceName);
    EXPECT_EQ(f.send(openCd1).code, duplicateAlias);
    EXPECT_EQ(f.send("open C:\\ type cdaudio alias x wait shareable").code, invalidFile);
    EXPECT_EQ(f.send("open  type cdaudio alias cd1 wait shareable").code, invalidFile);
    EXPECT_EQ(f.send("open Data type cdaudio alias y").code, invalidFile);

    f.send("set cd1 time format tmsf");
    for (const char* bad :
         {"status cd1 length track 0", "status cd1 length track 3", "status cd1 position track 3",
          "status cd1 position track 0", "play cd1 from 0", "play cd1 from 3", "seek cd1 to 3"}) {
        const auto r = f.send(bad);
        EXPECT_EQ(r.code, outOfRange) << bad;
        EXPECT_EQ(r.answer, "") << bad;
    }
    EXPECT_EQ(f.send("play cd1 from 2 to 1").code, outOfRange);
    using namespace platform::mcierr;
    EXPECT_EQ(f.send("frobnicate cd1").code, unrecognizedCommand);
    EXPECT_EQ(f.send("status cd1 colour").code, unrecognizedKeyword);
    EXPECT_EQ(f.send("play cd1 from 1 backwards").code, unrecognizedKeyword);
    EXPECT_EQ(f.send("status cd1").code, missingParameter);
    EXPECT_EQ(f.send("status all media present").code, cannotUseAll);
    EXPECT_EQ(f.send("").code, missingCommandString);
    EXPECT_EQ(f.send("set cd1 time format furlongs").code, badTimeFormat);
    EXPECT_EQ(f.send("status cd1 length track x").code, badInteger);
    EXPECT_EQ(f.send("close all").code, 0u);
    EXPECT_EQ(f.send("close all").code, 0u);
    // A second alias needs the first opened shareable.
    EXPECT_EQ(f.send("open E:\\ type cdaudio alias a").code, 0u);
    EXPECT_EQ(f.send("open E:\\ type cdaudio alias b shareable").code, mustUseShareable);
}

TEST(MciAnswers, EmptyDriveAnswersFalseAndNotReady) {
    MciFixture f;
    f.cd.table->addVirtualDrive('F', f.dir.filePath("tray"));
    QDir(f.dir.path()).mkdir("tray");
    EXPECT_EQ(f.send("open F:\\ type cdaudio alias cd1 wait shareable").code, 0u);
    const auto present = f.send("status cd1 media present");
    EXPECT_EQ(present.code, 0u);
    EXPECT_EQ(present.answer, "false");
    for (const char* cmd : {"status cd1 number of tracks wait", "status cd1 length",
                            "status cd1 position", "play cd1 from 1"})
        EXPECT_EQ(f.code(cmd), deviceNotReady) << cmd;
    EXPECT_EQ(f.ask("status cd1 mode"), "not ready");
}
