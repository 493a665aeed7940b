#include "options/options.h"
#include "support/apptest.h"

#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

QStringList valuesOf(const Variables& v) {
    return {v.sCDDrives,     v.sCDDrive,     v.sPlayOnStart, v.sSkinDir,
            v.sUseCDDB,      v.sCDDBOnStart, v.sCDDBServer,  v.sCDDBEmail,
            v.sTimerSetting, v.sSysTrayOnly, v.sIconNum};
}

struct OptionsText : ::testing::Test, AppFixture {};

} // namespace

// A quote followed by a comma used to end the field early, so every option
// after it moved one place on and the icon number was lost.
TEST_F(OptionsText, AQuoteInAValueNeverShiftsTheOptionsAfterIt) {
    CheckOptions(app);
    Variables& v = app.v;
    v.sSkinDir = path("Odd \"Skins\", Two") + '/';
    v.sCDDBEmail = QStringLiteral("joe\",\"x@example.org");
    v.sTimerSetting = QStringLiteral("0");
    v.sIconNum = QStringLiteral("104");
    SaveOptions(app);
    const QStringList saved = valuesOf(v);

    Application again(tp.platform);
    CheckOptions(again);
    QStringList expected = saved;
    for (QString& value : expected)
        value.remove(u'"');
    EXPECT_EQ(valuesOf(again.v), expected);
    EXPECT_EQ(again.v.sIconNum, "104");
    EXPECT_TRUE(tp.messageBox->boxes.empty());
}

TEST(OptionsRecord, ReadsBackWhatItWrites) {
    Variables v;
    v.sCDDrives = QStringLiteral("D:\\E:\\");
    v.sSkinDir = QStringLiteral("/a dir, with commas/\r\nand a line end/");
    v.sCDDBServer = QStringLiteral("  spaced  ");
    v.sCDDBEmail = QString::fromUtf8("j\xc3\xb6rg@example.org");
    FieldReader reader(OptionsRecord(v));
    Variables back;
    ReadOptions(back, reader);
    EXPECT_EQ(valuesOf(back), valuesOf(v));
    EXPECT_TRUE(reader.atEnd());
}
