#include "platform/drives/drivetable.h"
#include "platform/platform.h"
#include "support/files.h"
#include "test_mci_fixture.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using platform::DriveTable;

TEST(DrivesTable, DrivesFileGivesVirtualDrivesInLetterOrderAndTheDemoOnlyWithoutOne) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Demo");
    DriveTable alone({dir.path(), false, dir.filePath("Demo")});
    ASSERT_EQ(alone.drives().size(), 1u);
    EXPECT_EQ(alone.drives()[0]->root() + '=' + alone.drives()[0]->source().toStdString(),
              "D:\\=" + dir.filePath("Demo").toStdString());

    writeFile(dir.filePath(DriveTable::drivesFileName), "# virtual drives\n"
                                                        "G:\\=/nowhere/disc.cue\n"
                                                        "\n"
                                                        "e:\\=Demo\n"
                                                        "this line is wrong\n"
                                                        "G:\\=/twice.cue\n"
                                                        "H:= spaced.cue \n"
                                                        "# written on another system\r\n"
                                                        "K:\\=/elsewhere/disc.cue\r\n");
    DriveTable table({dir.path(), false, dir.filePath("Demo")});
    const auto drives = table.drives();
    QStringList listed;
    for (const auto* d : drives)
        listed << QString::fromStdString(d->root()) + '=' + d->source();
    ASSERT_EQ(listed,
              (QStringList{"E:\\=" + dir.path() + "/Demo", "G:\\=/nowhere/disc.cue",
                           "H:\\=" + dir.path() + "/spaced.cue", "K:\\=/elsewhere/disc.cue"}));
    EXPECT_EQ(table.problems().size(), 2);
    EXPECT_EQ(table.find("g:\\"), drives[1]);
    EXPECT_EQ(table.find("C:\\"), nullptr);
    EXPECT_EQ(table.find(""), nullptr);
}

// A mixed-mode disc lists the files of its data track and no tracks.
TEST(DrivesTable, ServicesAnswerForTheDriveTable) {
    MciFixture f;
    f.cd.table->addVirtualDrive(
        'E', f.write({{di::TrackSpec::audio(di::seconds(2)), di::TrackSpec::audio(di::seconds(3)),
                       di::TrackSpec::audio(di::seconds(4), {}, 75)}}));
    f.cd.table->addVirtualDrive('F', f.tray());
    f.cd.table->addVirtualDrive(
        'G', f.write({{di::TrackSpec::dataTrack(300, {{"README.TXT", "read me"},
                                                      {"AUTORUN.INF", "[autorun]"},
                                                      {"NOEXT", std::string(5000, 'x')}}),
                       di::TrackSpec::audio(di::seconds(2), {}, 150),
                       di::TrackSpec::audio(di::seconds(2))}},
                     "mixed.cue"));
    platform::Platform p;
    f.cd.installInto(p);
    EXPECT_EQ(p.driveTypes->getDriveType("F:\\"), platform::DriveTypes::cdrom);
    EXPECT_EQ(p.driveTypes->getDriveType("D:\\"), platform::DriveTypes::noRootDir);
    EXPECT_EQ(p.discRoot->listRoot("E:\\"),
              QStringList({"Track01.cda", "Track02.cda", "Track03.cda"}));
    EXPECT_EQ(p.discRoot->listRoot("F:\\"), QStringList());
    EXPECT_EQ(p.discRoot->listRoot("Q:\\"), std::nullopt);
    EXPECT_EQ(p.discRoot->listRoot("G:\\"), QStringList({"AUTORUN.INF", "NOEXT", "README.TXT"}));
    EXPECT_EQ(p.discToc->readToc("E:\\").value().trackOffsets, (std::vector<int>{150, 300, 600}));
    EXPECT_EQ(p.discToc->readToc("E:\\").value().leadOut, 900);
    EXPECT_EQ(p.discToc->readToc("F:\\"), std::nullopt);
    EXPECT_EQ(p.discToc->readToc("G:\\").value().dataTrack,
              (std::vector<bool>{true, false, false}));
    EXPECT_EQ(p.discToc->readToc("G:\\").value().trackOffsets, (std::vector<int>{150, 600, 750}));
}

// A copy in progress: the sheet is there, its data file only partly.
TEST(DrivesTable, DiscIsReadOncePerMediumAndADataFileArrivingLateIsANewOne) {
    MciFixture f;
    auto* drive = f.cd.table->addVirtualDrive('E', f.tray());
    f.write(workedExample(), "full.cue");
    QFile::copy(f.dir.filePath("full.cue"), f.dir.filePath("tray/full.cue"));
    writeFile(f.dir.filePath("tray/full.bin"), QByteArray(2352 * 19500, '\0'));
    const auto partial = drive->disc();
    QFile::remove(f.dir.filePath("tray/full.bin"));
    QFile::copy(f.dir.filePath("full.bin"), f.dir.filePath("tray/full.bin"));
    const auto whole = drive->disc();
    ASSERT_TRUE(whole);
    EXPECT_NE(whole, partial);
    EXPECT_EQ(whole->toc.leadOut, 37650);
    EXPECT_EQ(drive->disc(), whole);
}
