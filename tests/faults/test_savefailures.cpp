#include "faults/oslimits.h"
#include "faults/robustnessrow.h"
#include "options/options.h"
#include "support/apptest.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

// A save that fails keeps the old file whole with nothing left beside it; the
// box says so once, the player goes on with the values in memory, and the
// next save once there is room writes them.
TEST(SaveFailure, AReadOnlyDirectoryOrAFullDiskKeepsTheOldFileAndTellsTheUser) {
    const RobustnessRow rows[] = {
        {"Options directory read-only at save time",
         "The old options file stays whole, a message box says the settings were not saved, the "
         "player goes on"},
        {"Disk full while the options file is saved",
         "The old options file stays whole, the partial new one is removed, a message box says "
         "the settings were not saved"},
    };
    const std::vector<std::pair<QString, std::function<std::shared_ptr<void>(QString)>>> faults{
        {"Permission denied", [](QString dir) { return std::make_shared<ReadOnlyDirectory>(dir); }},
        {"Disk full", [](QString) { return std::make_shared<FileSizeLimit>(100); }},
    };
    for (const auto& [description, fault] : faults) {
        SCOPED_TRACE(description.toStdString());
        AppFixture fx;
        fx.app.cd = &fx.form();
        CheckOptions(fx.app); // the first run writes the defaults
        fx.app.v.sCDDrive = QStringLiteral("E:\\");
        SaveOptions(fx.app);
        const QString file = fx.path("VornapOptions.dat");
        const QByteArray before = readFile(file);
        ASSERT_GT(before.size(), 200);
        fx.app.v.sCDDrive = QStringLiteral("G:\\");
        {
            const auto held = fault(fx.dir.path());
            EXPECT_NO_THROW(SaveOptions(fx.app));
        }
        EXPECT_EQ(readFile(file), before);
        EXPECT_EQ(QDir(fx.dir.path()).entryList({"*.dat*", "*VornapOptions*"}, QDir::Files),
                  QStringList{"VornapOptions.dat"});
        const auto& boxes = fx.tp.messageBox->boxes;
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption + ": " + boxes[0].text,
                  "Vornap: " + saveFailureText(fx.app, description));
        EXPECT_TRUE(boxes[0].text.contains(QDir::toNativeSeparators(file)));
        EXPECT_EQ(fx.app.v.sCDDrive, "G:\\");
        SaveOptions(fx.app);
        EXPECT_TRUE(readFile(file).contains("\"//CD-ROM Drive to Use\",\"G:\\\""));
        EXPECT_EQ(boxes.size(), 1u);
    }
}
