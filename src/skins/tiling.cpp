#include "skins/tiling.h"

#include "app/widgets.h"

#include <QPainter>
#include <QWidget>

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

int PaintFormBackground(QWidget& form, const ImageBox* imgBackground) {
    if (!imgBackground)
        return 0;
    QPainter painter(&form);
    return TileBackground(painter, form.size(), imgBackground->picture());
}

} // namespace vornap
