#include "platform/drives/drivetable.h"
#include "platform/platform.h"
#include "support/files.h"
#include "test_mci_fixture.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;
using platform::DriveTable;

TEST(DrivesTable, DrivesFileGivesVirtualDrivesInLetterOrder) {
    QTemporaryDir dir;
    writeFile(dir.filePath(DriveTable::drivesFileName), "# virtual drives\n"
                                                        "G:\\=/nowhere/disc.cue\n"
                                                        "\n"
                                                        "e:\\=Demo\n"
                                                        "this line is wrong\n"
                                                        "G:\\=/twice.cue\n"
                                                        "H:= spaced.cue \n"
                                                        "# written on another system\r\n"
                                                        "K:\\=/elsewhere/disc.cue\r\n");
    DriveTable table({dir.path(), false, {}});
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

TEST(DrivesTable, ServicesAnswerForTheDriveTable) {
    MciFixture f;
    f.cd.table->addVirtualDrive(
        'E', f.write({{di::TrackSpec::audio(di::seconds(2)), di::TrackSpec::audio(di::seconds(3)),
                       di::TrackSpec::audio(di::seconds(4), {}, 75)}}));
    QDir(f.dir.path()).mkdir("empty-tray");
    f.cd.table->addVirtualDrive('F', f.dir.filePath("empty-tray"));
    f.cd.table->addVirtualDrive(
        'G', f.write({{di::TrackSpec::dataTrack(300, {{"README.TXT", "read me"},
                                                      {"AUTORUN.INF", "[autorun]"},
                                                      {"NOEXT", std::string(5000, 'x')}}),
                       di::TrackSpec::audio(di::seconds(2), {}, 150),
                       di::TrackSpec::audio(di::seconds(2))}},
                     "mixed.cue"));
    platform::Platform p;
    f.cd.installInto(p);

    EXPECT_EQ(p.driveTypes->getDriveType("E:\\"), platform::DriveTypes::cdrom);
    EXPECT_EQ(p.driveTypes->getDriveType("F:\\"), platform::DriveTypes::cdrom);
    EXPECT_EQ(p.driveTypes->getDriveType("D:\\"), platform::DriveTypes::noRootDir);

    EXPECT_EQ(p.discRoot->listRoot("E:\\"),
              QStringList({"Track01.cda", "Track02.cda", "Track03.cda"}));
    EXPECT_EQ(p.discRoot->listRoot("F:\\"), QStringList());
    EXPECT_EQ(p.discRoot->listRoot("Q:\\"), std::nullopt);
    // A mixed-mode disc lists the files of its data track and no tracks.
    EXPECT_EQ(p.discRoot->listRoot("G:\\"), QStringList({"AUTORUN.INF", "NOEXT", "README.TXT"}));

    const auto toc = p.discToc->readToc("E:\\");
    ASSERT_TRUE(toc);
    EXPECT_EQ(toc->trackOffsets, (std::vector<int>{150, 300, 600}));
    EXPECT_EQ(toc->leadOut, 900);
    EXPECT_EQ(p.discToc->readToc("F:\\"), std::nullopt);
    const auto mixed = p.discToc->readToc("G:\\");
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->dataTrack, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(mixed->trackOffsets, (std::vector<int>{150, 600, 750}));
}

TEST(DrivesTable, DiscIsReadOncePerMediumAndADataFileArrivingLateIsANewOne) {
    MciFixture f;
    QDir(f.dir.path()).mkdir("tray");
    auto* drive = f.cd.table->addVirtualDrive('E', f.dir.filePath("tray"));
    f.write(workedExample(), "full.cue");
    // A copy in progress: the sheet is there, its data file only partly.
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

TEST(DrivesTable, DemoTrayStandsInOnlyWhenThereIsNoDrive) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("Demo");
    DriveTable alone({dir.path(), false, dir.filePath("Demo")});
    ASSERT_EQ(alone.drives().size(), 1u);
    EXPECT_EQ(alone.drives()[0]->root(), "D:\\");
    EXPECT_EQ(alone.drives()[0]->source(), dir.filePath("Demo"));

    writeFile(dir.filePath(DriveTable::drivesFileName), "F:\\=/some/disc.cue\n");
    DriveTable configured({dir.path(), false, dir.filePath("Demo")});
    ASSERT_EQ(configured.drives().size(), 1u);
    EXPECT_EQ(configured.drives()[0]->root(), "F:\\");
}
