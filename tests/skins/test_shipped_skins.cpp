#include "options/fieldreader.h"
#include "skins/colors.h"
#include "skins/skinfiles.h"
#include "skins/skintest.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

double luminance(const QColor& c) {
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The contrast ratio used for readable text (4.5 is the usual floor for small text).
double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor worstAgainst(const QImage& image, const QColor& text) {
    QColor worst;
    double lowest = 1e9;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const double r = contrast(c, text);
            if (r < lowest) {
                lowest = r;
                worst = c;
            }
        }
    return worst;
}

// Mean colour difference between neighbouring columns (or rows) of a tile.
double meanStep(const QImage& img, bool acrossColumns, int a, int b) {
    double sum = 0;
    const int n = acrossColumns ? img.height() : img.width();
    for (int i = 0; i < n; ++i) {
        const QColor p = acrossColumns ? img.pixelColor(a, i) : img.pixelColor(i, a);
        const QColor q = acrossColumns ? img.pixelColor(b, i) : img.pixelColor(i, b);
        sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
               std::abs(p.blue() - q.blue());
    }
    return sum / n;
}

class ShippedSkin : public ::testing::TestWithParam<const char*> {
protected:
    QString skinDir() const { return builtSkinDir(QString::fromLatin1(GetParam())); }
    QColor color(int field) const {
        return SkinColor(readFields(skinDir() + "Colors.txt", 4)[field]);
    }
};

} // namespace

TEST_P(ShippedSkin, IsUsableAndItsButtonsFitTheWindowAndShowWhenPressed) {
    EXPECT_TRUE(isUsableSkin(skinDir()));
    for (const char* button : {"Back", "Fwd", "Play", "Pause", "Stop"}) {
        const QImage up = imageFile(skinDir() + button + "_up.bmp");
        const QImage down = imageFile(skinDir() + button + "_down.bmp");
        EXPECT_EQ(up.size(), QSize(60, 40)) << button;
        EXPECT_EQ(down.size(), up.size()) << button;
        EXPECT_NE(up, down) << button;
    }
    // Each button has a glyph of its own.
    EXPECT_NE(imageFile(skinDir() + "Play_up.bmp"), imageFile(skinDir() + "Pause_up.bmp"));
    EXPECT_NE(imageFile(skinDir() + "Back_up.bmp"), imageFile(skinDir() + "Fwd_up.bmp"));
}

TEST_P(ShippedSkin, TextIsReadableOnTheBackgroundAndInTheValueFields) {
    const QColor back = color(1);
    const QColor fore = color(3);
    EXPECT_GE(contrast(fore, back), 7.0);
    // Captions stand on the tile itself: even its least favourable pixel must carry them.
    const QImage tile = imageFile(skinDir() + "Background.bmp");
    EXPECT_GE(contrast(worstAgainst(tile, fore), fore), 4.5);
}

TEST_P(ShippedSkin, BackgroundTilesWithoutVisibleSeams) {
    const QImage tile = imageFile(skinDir() + "Background.bmp");
    const int w = tile.width(), h = tile.height();
    ASSERT_GE(w, 16);
    ASSERT_GE(h, 16);
    // The step across a seam is like the typical step between neighbours inside.
    for (const bool columns : {true, false}) {
        const int n = columns ? w : h;
        double inside = 0;
        for (int i = 0; i + 1 < n; ++i)
            inside += meanStep(tile, columns, i, i + 1);
        inside /= n - 1;
        const double seam = meanStep(tile, columns, n - 1, 0);
        EXPECT_LE(seam, inside * 1.5) << (columns ? "left/right" : "top/bottom");
    }
}

INSTANTIATE_TEST_SUITE_P(BuiltSkins, ShippedSkin, ::testing::Values("Base", "Walnut"));
