#include "tray/icons.h"

#include "app/vberror.h"
#include "app/vbtypes.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace vornap {

namespace {

struct IconLook {
    int size;
    bool sixteenColours;
    QColor disc;
    QColor accent;
};

IconLook lookFor(int number) {
    switch (number) {
    case 1:
        return {48, false, QColor(200, 210, 225), QColor(40, 110, 200)};
    case 101:
        return {32, true, QColor(192, 192, 192), QColor(0, 0, 255)};
    case 102:
        return {16, true, QColor(192, 192, 192), QColor(0, 0, 255)};
    case 103:
        return {16, false, QColor(205, 215, 230), QColor(40, 110, 200)};
    case 104:
        return {16, false, QColor(230, 210, 170), QColor(200, 80, 30)};
    case 105:
        return {16, false, QColor(190, 225, 200), QColor(30, 140, 70)};
    case 106:
        return {32, false, QColor(205, 215, 230), QColor(40, 110, 200)};
    default:
        throw errors::invalidPicture();
    }
}

// The 16 colours of the classic VGA palette.
QList<QRgb> vgaPalette() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// A compact disc with a play mark: the same picture at every size.
QImage draw(const IconLook& look) {
    const int s = look.size;
    QImage image(s, s, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, !look.sixteenColours);
    const QRectF disc(0.5, 0.5, s - 1.0, s - 1.0);
    QRadialGradient shine(disc.center(), s / 2.0, QPointF(s * 0.35, s * 0.3));
    shine.setColorAt(0, look.disc.lighter(125));
    shine.setColorAt(1, look.disc.darker(115));
    p.setPen(QPen(look.disc.darker(180), s >= 32 ? 1.5 : 1.0));
    p.setBrush(look.sixteenColours ? QBrush(look.disc) : QBrush(shine));
    p.drawEllipse(disc);
    const double hole = s * 0.16;
    p.setBrush(Qt::white);
    p.drawEllipse(disc.center(), hole, hole);
    QPainterPath play;
    const double cx = s * 0.5 + s * 0.04;
    const double cy = s * 0.5;
    const double r = s * 0.30;
    play.moveTo(cx - r * 0.55, cy - r);
    play.lineTo(cx + r, cy);
    play.lineTo(cx - r * 0.55, cy + r);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(look.accent);
    p.drawPath(play);
    p.end();
    if (look.sixteenColours) {
        QList<QRgb> palette = vgaPalette();
        palette.push_back(qRgba(0, 0, 0, 0));
        return image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
    }
    return image;
}

} // namespace

bool isIconResource(int number) {
    return number == 1 || (number >= 101 && number <= 106);
}

int TrayIconNumber(const QString& iconNum) {
    const double number = std::nearbyint(Val(iconNum));
    return number >= 1 && number <= 106 && isIconResource(int(number)) ? int(number) : 102;
}

QImage iconImage(int number) {
    return draw(lookFor(number));
}

QImage programIconImage(int size) {
    IconLook look = lookFor(1);
    look.size = size;
    return draw(look);
}

QIcon LoadResPicture(int number) {
    QIcon icon(QPixmap::fromImage(iconImage(number)));
    // The program's icon carries its smaller renderings too.
    if (number == 1) {
        for (int size : {16, 24, 32, 64})
            icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
        return icon;
    }
    // Trays of today draw icons at 22 to 48 pixels and twice that on dense
    // screens: the same picture drawn larger, so they need not blow up 16
    // pixels. A title bar still finds the designed size first.
    IconLook look = lookFor(number);
    for (int size : {22, 24, 32, 48, 64, 96, 128}) {
        if (size <= look.size)
            continue;
        look.size = size;
        icon.addPixmap(QPixmap::fromImage(draw(look)));
    }
    return icon;
}

} // namespace vornap
