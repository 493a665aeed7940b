#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;
class QWidget;

namespace vornap {

class ImageBox;

// Tiles the picture over the whole area, column by column, top to bottom.
// Returns the number of tiles drawn.
int TileBackground(QPainter& painter, QSize area, const QPixmap& picture);

// The paint handler of every skinned window: tiles the picture held by the
// window's imgBackground over the window. Returns the number of tiles drawn.
int PaintFormBackground(QWidget& form, const ImageBox* imgBackground);

} // namespace vornap
