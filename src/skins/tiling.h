#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;

namespace vornap {

// Tiles the picture over the whole area, column by column, top to bottom.
// Returns the number of tiles drawn.
int TileBackground(QPainter& painter, QSize area, const QPixmap& picture);

} // namespace vornap
