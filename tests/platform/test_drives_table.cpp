#include "platform/discimage/demodisc.h"
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
using platform::DriveTableServices;

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
    ASSERT_EQ(drives.size(), 4u);
    EXPECT_EQ(drives[0]->root(), "E:\\");
    EXPECT_EQ(drives[0]->source(), dir.path() + "/Demo");
    EXPECT_EQ(drives[1]->root(), "G:\\");
    EXPECT_EQ(drives[1]->source(), "/nowhere/disc.cue");
    EXPECT_EQ(drives[2]->source(), dir.path() + "/spaced.cue");
    EXPECT_EQ(drives[3]->source(), "/elsewhere/disc.cue");
    EXPECT_EQ(table.problems().size(), 2);
    EXPECT_EQ(table.find("g:\\"), drives[1]);
    EXPECT_EQ(table.find("C:\\"), nullptr);
    EXPECT_EQ(table.find(""), nullptr);
}

TEST(DrivesTable, NoDrivesAtAllIsAnEmptyTable) {
    QTemporaryDir dir;
    // Real drives are asked for: this machine may have none, and libcdio then answers NULL.
    DriveTable table({dir.path(), true, {}});
    for (auto* d : table.drives())
        EXPECT_FALSE(d->isVirtual());
    DriveTableServices services(
        std::make_shared<DriveTable>(DriveTable::Options{dir.path(), false, {}}));
    for (char l = 'A'; l <= 'Z'; ++l)
        EXPECT_EQ(services.getDriveType(std::string(1, l) + ":\\"),
                  platform::DriveTypes::noRootDir);
}

TEST(DrivesTable, ServicesAnswerForTheDriveTable) {
    MciFixture f;
    const QString cue =
        f.write({{di::TrackSpec::audio(di::seconds(2)), di::TrackSpec::audio(di::seconds(3)),
                  di::TrackSpec::audio(di::seconds(4), {}, 75)}});
    f.cd.table->addVirtualDrive('E', cue);
    f.cd.table->addVirtualDrive('F', f.dir.filePath("empty-tray"));
    QDir(f.dir.path()).mkdir("empty-tray");
    platform::Platform p;
    f.cd.installInto(p);

    EXPECT_EQ(p.driveTypes->getDriveType("E:\\"), platform::DriveTypes::cdrom);
    EXPECT_EQ(p.driveTypes->getDriveType("F:\\"), platform::DriveTypes::cdrom);
    EXPECT_EQ(p.driveTypes->getDriveType("D:\\"), platform::DriveTypes::noRootDir);

    EXPECT_EQ(p.discRoot->listRoot("E:\\"),
              QStringList({"Track01.cda", "Track02.cda", "Track03.cda"}));
    EXPECT_EQ(p.discRoot->listRoot("F:\\"), QStringList());
    EXPECT_EQ(p.discRoot->listRoot("Q:\\"), std::nullopt);

    const auto toc = p.discToc->readToc("E:\\");
    ASSERT_TRUE(toc);
    const auto expected = di::expectedToc({{di::TrackSpec::audio(150), di::TrackSpec::audio(225),
                                            di::TrackSpec::audio(300, {}, 75)}});
    EXPECT_EQ(toc->trackOffsets, expected.trackOffsets);
    EXPECT_EQ(toc->trackOffsets, (std::vector<int>{150, 300, 600}));
    EXPECT_EQ(toc->leadOut, 900);
    EXPECT_EQ(p.discToc->readToc("F:\\"), std::nullopt);
}

TEST(DrivesTable, MixedModeDiscListsItsFilesAndNoTracks) {
    MciFixture f;
    const QString cue = f.write(
        {{di::TrackSpec::dataTrack(300, {{"README.TXT", "read me"},
                                         {"AUTORUN.INF", "[autorun]"},
                                         {"NOEXT", std::string(5000, 'x')}}),
          di::TrackSpec::audio(di::seconds(2), {}, 150), di::TrackSpec::audio(di::seconds(2))}});
    f.cd.table->addVirtualDrive('E', cue);
    DriveTableServices services(f.cd.table);
    const auto listing = services.listRoot("E:\\");
    ASSERT_TRUE(listing);
    EXPECT_EQ(*listing, QStringList({"AUTORUN.INF", "NOEXT", "README.TXT"}));
    const auto toc = services.readToc("E:\\");
    ASSERT_TRUE(toc);
    EXPECT_EQ(toc->dataTrack, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(toc->trackOffsets, (std::vector<int>{150, 600, 750}));
}

TEST(DrivesTable, CueSheetNamingAnotherDataFileIsFollowed) {
    MciFixture f;
    const QString cue = f.write({{di::TrackSpec::audio(di::seconds(1), di::sine(1000)),
                                  di::TrackSpec::audio(di::seconds(1), di::sine(500))}},
                                "album.cue");
    // The sheet is renamed and names its data file; libcdio alone would look for "renamed.bin".
    QFile::rename(cue, f.dir.filePath("renamed.cue"));
    EXPECT_TRUE(readFile(f.dir.filePath("renamed.cue")).contains("FILE \"album.bin\" BINARY"));
    f.cd.table->addVirtualDrive('E', f.dir.filePath("renamed.cue"));
    f.send("open E:\\ type cdaudio alias cd1 wait shareable");
    EXPECT_EQ(f.ask("status cd1 number of tracks"), "2");
}

TEST(DrivesTable, DiscIsReadOncePerMedium) {
    MciFixture f;
    const QString cue = f.write(workedExample());
    auto* drive = f.cd.table->addVirtualDrive('E', cue);
    const auto first = drive->disc();
    ASSERT_TRUE(first);
    EXPECT_EQ(drive->disc(), first);
    // Rewriting the image is a new medium.
    f.write({{di::TrackSpec::audio(300)}});
    const auto second = drive->disc();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->trackCount(), 1);
}

TEST(DrivesTable, DataFileArrivingAfterItsCueSheetIsANewMedium) {
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
}

TEST(DrivesTable, UnreadableImageIsNoDisc) {
    MciFixture f;
    writeFile(f.dir.filePath("junk.cue"), "this is not a cue sheet\n");
    f.cd.table->addVirtualDrive('E', f.dir.filePath("junk.cue"));
    f.send("open E:\\ type cdaudio alias cd1 wait shareable");
    EXPECT_EQ(f.ask("status cd1 media present"), "false");
    EXPECT_EQ(f.code("play cd1 from 1"), platform::mcierr::deviceNotReady);
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

TEST(DiscImage, DemoDiscIsAFewMinutesOfMusicInFourToSixTracks) {
    const di::DiscSpec demo = di::demoDisc();
    EXPECT_GE(demo.tracks.size(), 4u);
    EXPECT_LE(demo.tracks.size(), 6u);
    const auto toc = di::expectedToc(demo);
    const double minutes = (toc.leadOut - 150) / 75.0 / 60;
    EXPECT_GT(minutes, 2.0);
    EXPECT_LT(minutes, 6.0);
    EXPECT_EQ(di::demoTitles().size(), qsizetype(demo.tracks.size()));
    // Not silence: a second from the middle of the first track has sound.
    std::vector<std::int16_t> second(44100 * 2);
    demo.tracks[0].sound(44100 * 10, second.data(), 44100);
    long long energy = 0;
    for (std::int16_t s : second)
        energy += std::abs(s);
    EXPECT_GT(energy / std::ssize(second), 1000);
}
