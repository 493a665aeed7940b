#include "skins/tiling.h"

#include <QPainter>

namespace vornap {

int TileBackground(QPainter& painter, QSize area, const QPixmap& picture) {
    const int w = picture.width();
    const int h = picture.height();
    // A picture without area would never advance the loop.
    if (w <= 0 || h <= 0)
        return 0;
    int tiles = 0;
    for (int x = 0; x <= area.width(); x += w) {
        for (int y = 0; y <= area.height(); y += h) {
            painter.drawPixmap(x, y, picture);
            ++tiles;
        }
    }
    return tiles;
}

} // namespace vornap
