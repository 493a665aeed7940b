#include "skins/tiling.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace vornap;

namespace {
// A tile whose top-left pixel is marked, so each tile's position shows.
QPixmap markedTile(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0, 0, 255));
    img.setPixelColor(0, 0, QColor(255, 0, 0));
    return QPixmap::fromImage(img);
}

int tile(QImage& target, const QPixmap& picture) {
    QPainter p(&target);
    return TileBackground(p, target.size(), picture);
}
} // namespace

TEST(Tiling, APictureLargerThanTheWindowIsDrawnOnceOneThatFitsTwiceOnceMoreOutside) {
    QImage window(50, 30, QImage::Format_RGB32);
    EXPECT_EQ(tile(window, markedTile(80, 60)), 1);
    EXPECT_EQ(window.pixelColor(49, 29), QColor(0, 0, 255));
    // Columns at 0, 32 and 64; rows at 0 and 20 (y = H is drawn too).
    QImage twoWide(64, 20, QImage::Format_RGB32);
    EXPECT_EQ(tile(twoWide, markedTile(32, 20)), 3 * 2);
    EXPECT_EQ(twoWide.pixelColor(32, 0), QColor(255, 0, 0));
}

TEST(Tiling, EveryPixelIsCoveredAndTheCountIsTheDesignedOne) {
    QImage window(100, 70, QImage::Format_RGB32);
    window.fill(Qt::white);
    EXPECT_EQ(tile(window, markedTile(30, 20)), (100 / 30 + 1) * (70 / 20 + 1));
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(window.pixelColor(x, y),
                      (x % 30 == 0 && y % 20 == 0) ? QColor(255, 0, 0) : QColor(0, 0, 255))
                << x << "," << y;
}

TEST(Tiling, APictureWithoutAreaDrawsNothing) {
    QImage window(10, 10, QImage::Format_RGB32);
    window.fill(Qt::white);
    EXPECT_EQ(tile(window, QPixmap()), 0);
    EXPECT_EQ(tile(window, QPixmap(0, 5)), 0);
    EXPECT_EQ(window.pixelColor(0, 0), QColor(Qt::white));
}
