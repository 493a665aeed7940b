#include "cd/mcicommands.h"

#include <gtest/gtest.h>

using namespace vornap;

TEST(CommandTexts, AreSpelledAsTheDeviceExpects) {
    EXPECT_EQ(mcicmd::open(QStringLiteral("D:\\"), mcicmd::cd1),
              "open D:\\ type cdaudio alias cd1 wait shareable");
    EXPECT_EQ(mcicmd::open(QString(), mcicmd::CDINFO), "open  type cdaudio alias CDINFO wait shareable");
    EXPECT_EQ(mcicmd::statusMediaPresent(mcicmd::CDINFO), "status CDINFO media present");
    EXPECT_EQ(mcicmd::statusMediaPresentWait(mcicmd::CDCheck), "status CDCheck media present wait");
    EXPECT_EQ(mcicmd::playFrom(12), "play cd1 from 12");
    EXPECT_EQ(mcicmd::statusLengthTrack(1), "status cd1 length track 1");
    EXPECT_EQ(mcicmd::statusPositionTrack(13), "status cd1 position track 13");
    EXPECT_EQ(mcicmd::statusNumberOfTracksWait(), "status cd1 number of tracks wait");
    EXPECT_EQ(mcicmd::close(mcicmd::cd3), "close cd3");
}
