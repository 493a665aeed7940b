#include "skins/colors.h"
#include "support/vberrors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace vornap;

namespace {
int errorNumber(const QString& text) {
    return test::errorOf([&] { SkinColor(text); });
}
} // namespace

TEST(SkinColors, RedIsTheLowByteBlueTheHigh) {
    EXPECT_EQ(SkinColor("255"), QColor(255, 0, 0));
    EXPECT_EQ(SkinColor("65280"), QColor(0, 255, 0));
    EXPECT_EQ(SkinColor("16711680"), QColor(0, 0, 255));
    EXPECT_EQ(SkinColor("8421631"), QColor(255, 128, 128));
    EXPECT_EQ(SkinColor("0"), QColor(0, 0, 0));
}

TEST(SkinColors, NumbersAreReadAsTheLanguageConvertsThem) {
    EXPECT_EQ(ColorValue("  4210752 "), 4210752u);
    EXPECT_EQ(ColorValue("&HFF&"), 255u);
    EXPECT_EQ(ColorValue("&h00ff00"), 65280u);
    EXPECT_EQ(ColorValue("254.5"), 254u); // half to even
    EXPECT_EQ(ColorValue("255.5"), 256u);
    EXPECT_EQ(ColorValue("-2147483633"), 0x8000000Fu);
    EXPECT_EQ(ColorValue("&H8000000F&"), 0x8000000Fu);
    EXPECT_EQ(ColorValue("2147483663"), 0x8000000Fu);
}

TEST(SkinColors, BadTextIsATypeMismatchTooLargeAnOverflowNoColourAnInvalidValue) {
    const std::pair<QString, int> cases[] = {{"", 13},
                                             {"red", 13},
                                             {"12 34", 13},
                                             {"&HXYZ", 13},
                                             {"&H123456789", 13},
                                             {"nan", 13},
                                             {"4294967296", 6},
                                             {"-2147483649", 6},
                                             {"1e300", 6},
                                             {"2147483673", 380},
                                             {"2147483679", 380}, // system indexes 25, 31
                                             {"2147549189", 380},
                                             {"50331903", 380}}; // high bytes 0x8001, 0x03
    for (const auto& [text, number] : cases)
        EXPECT_EQ(errorNumber(text), number) << text.toStdString();
    EXPECT_EQ(SkinColor(QString::number(0x020000FFu)), QColor(255, 0, 0));
}

TEST(SkinColors, SystemColoursFollowTheApplicationPalette) {
    const QPalette saved = QGuiApplication::palette();
    EXPECT_EQ(ColorFromValue(0x80000005), saved.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(ColorFromValue(0x80000012), saved.color(QPalette::Active, QPalette::ButtonText));
    QPalette changed = saved;
    changed.setColor(QPalette::Button, QColor(1, 2, 3));
    QGuiApplication::setPalette(changed);
    const QColor c = SkinColor("-2147483633");
    QGuiApplication::setPalette(saved);
    EXPECT_EQ(c, QColor(1, 2, 3));
}

TEST(SkinColors, ControlsShowTheirForeAndBackColours) {
    QLabel label(QStringLiteral("x"));
    SetBackColor(&label, QColor(40, 50, 60));
    EXPECT_TRUE(label.autoFillBackground()); // a caption without one stays transparent

    QComboBox combo;
    combo.setEditable(true);
    SetBackColor(&combo, QColor(1, 1, 1));
    SetForeColor(&combo, QColor(200, 200, 200));
    EXPECT_EQ(BackColorOf(&combo), QColor(1, 1, 1));
    EXPECT_EQ(ForeColorOf(&combo), QColor(200, 200, 200));
    // The edit field shows them.
    EXPECT_EQ(combo.lineEdit()->palette().color(QPalette::Base), QColor(1, 1, 1));
    EXPECT_EQ(combo.lineEdit()->palette().color(QPalette::Text), QColor(200, 200, 200));

    QCheckBox check(QStringLiteral("c"));
    const QColor tick = check.palette().color(QPalette::Text);
    SetForeColor(&check, QColor(250, 250, 250));
    EXPECT_EQ(ForeColorOf(&check), QColor(250, 250, 250));
    EXPECT_EQ(check.palette().color(QPalette::Text), tick); // the tick stays visible
}
