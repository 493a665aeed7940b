// Draws the skins that ship with the player: a seamless background tile,
// the five transport buttons released and pressed, and the colour file.
//
//   vornap_skingen <Skins directory>
//
// The output is the same on every run (fixed seeds), so the build can make
// it afresh instead of keeping bitmaps in the repository.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Where the main window shows each button, in window coordinates, so that
// the corners around a rounded key carry the background tile that lies
// behind them. The menu bar's height is a guess; the textures are fine
// enough that a few pixels either way do not show.
constexpr int kButtonTop = 186 + 23;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 40;

struct Button {
    const char* file;
    int left;
};
const Button kButtons[] = {
    {"Back", 22}, {"Play", 102}, {"Pause", 182}, {"Stop", 262}, {"Fwd", 342}};

// A small deterministic generator, so the pictures never change between builds.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed) {}
    double next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return double(m_state) / 4294967296.0;
    }

private:
    std::uint32_t m_state;
};

// Value noise on a lattice that wraps, so a tile made from it repeats without seams.
class PeriodicNoise {
public:
    PeriodicNoise(int cellsX, int cellsY, std::uint32_t seed)
        : m_cx(cellsX), m_cy(cellsY), m_values(std::size_t(cellsX * cellsY)) {
        Random r(seed);
        for (double& v : m_values)
            v = r.next() * 2.0 - 1.0;
    }
    // u, v in [0, 1): position across the tile.
    double at(double u, double v) const {
        const double x = u * m_cx;
        const double y = v * m_cy;
        const int x0 = int(std::floor(x));
        const int y0 = int(std::floor(y));
        const double fx = smooth(x - x0);
        const double fy = smooth(y - y0);
        const double a = value(x0, y0), b = value(x0 + 1, y0);
        const double c = value(x0, y0 + 1), d = value(x0 + 1, y0 + 1);
        return lerp(lerp(a, b, fx), lerp(c, d, fx), fy);
    }

private:
    static double smooth(double t) { return t * t * (3 - 2 * t); }
    static double lerp(double a, double b, double t) { return a + (b - a) * t; }
    double value(int x, int y) const {
        x = ((x % m_cx) + m_cx) % m_cx;
        y = ((y % m_cy) + m_cy) % m_cy;
        return m_values[std::size_t(y * m_cx + x)];
    }
    int m_cx, m_cy;
    std::vector<double> m_values;
};

QColor mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QColor shade(const QColor& c, double delta) {
    auto ch = [delta](int v) { return std::clamp(int(std::lround(v + delta)), 0, 255); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

// The windows' COLORREF: red in the low byte.
std::uint32_t colorRef(const QColor& c) {
    return std::uint32_t(c.red()) | std::uint32_t(c.green()) << 8 | std::uint32_t(c.blue()) << 16;
}

// Glyphs, drawn in a box centred on the key.
QPainterPath triangle(QPointF tip, double w, double h, bool right) {
    QPainterPath p;
    const double base = right ? tip.x() - w : tip.x() + w;
    p.moveTo(tip);
    p.lineTo(base, tip.y() - h / 2);
    p.lineTo(base, tip.y() + h / 2);
    p.closeSubpath();
    return p;
}

QPainterPath glyph(const QString& name, QPointF c) {
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    if (name == "Play") {
        p.addPath(triangle({c.x() + 7, c.y()}, 13, 15, true));
    } else if (name == "Pause") {
        p.addRoundedRect(QRectF(c.x() - 6.5, c.y() - 7.5, 4.5, 15), 1, 1);
        p.addRoundedRect(QRectF(c.x() + 2, c.y() - 7.5, 4.5, 15), 1, 1);
    } else if (name == "Stop") {
        p.addRoundedRect(QRectF(c.x() - 6.5, c.y() - 6.5, 13, 13), 1.5, 1.5);
    } else if (name == "Back") {
        p.addRect(QRectF(c.x() - 10.5, c.y() - 6.5, 2.5, 13));
        p.addPath(triangle({c.x() - 8, c.y()}, 9, 13, false));
        p.addPath(triangle({c.x() + 1, c.y()}, 9, 13, false));
    } else if (name == "Fwd") {
        p.addPath(triangle({c.x() - 1, c.y()}, 9, 13, true));
        p.addPath(triangle({c.x() + 8, c.y()}, 9, 13, true));
        p.addRect(QRectF(c.x() + 8, c.y() - 6.5, 2.5, 13));
    }
    return p.simplified();
}

struct KeyStyle {
    QColor faceTop, faceBottom;       // released
    QColor pressedTop, pressedBottom; // held down
    QColor rim;                       // the dark edge of the key
    QColor highlight;                 // the light catching the top edge
    QColor glyph, glyphPressed;
    QColor glow; // alpha 0: the glyph is engraved instead of lit
    double radius;
    int brushed; // strength of horizontal brushing on the face
};

struct SkinDesign {
    QString name;
    int tileWidth, tileHeight;
    std::function<QColor(int x, int y)> tile;
    KeyStyle key;
    QColor back, fore;
};

QImage makeTile(const SkinDesign& d) {
    QImage img(d.tileWidth, d.tileHeight, QImage::Format_RGB32);
    for (int y = 0; y < d.tileHeight; ++y)
        for (int x = 0; x < d.tileWidth; ++x)
            img.setPixelColor(x, y, d.tile(x, y));
    return img;
}

void drawGlow(QPainter& p, const QPainterPath& path, QColor glow, double strength) {
    if (glow.alpha() == 0)
        return;
    for (int i = 4; i >= 1; --i) {
        QColor c = glow;
        c.setAlphaF(float(std::min(1.0, strength * 0.09 * (5 - i))));
        p.strokePath(path, QPen(c, i * 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
}

QImage makeButton(const SkinDesign& d, const QImage& tile, const Button& b, bool down) {
    const KeyStyle& k = d.key;
    QImage img(kButtonWidth, kButtonHeight, QImage::Format_RGB32);
    for (int y = 0; y < kButtonHeight; ++y)
        for (int x = 0; x < kButtonWidth; ++x)
            img.setPixel(x, y,
                         tile.pixel((b.left + x) % tile.width(), (kButtonTop + y) % tile.height()));

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(2.5, 1.5, kButtonWidth - 5, kButtonHeight - 5);

    // Soft shadow under the key; a pressed key sits lower and casts less.
    const int shadowSteps = down ? 2 : 4;
    for (int i = shadowSteps; i >= 1; --i) {
        QPainterPath s;
        s.addRoundedRect(body.adjusted(-i * 0.5, i * 0.5 + (down ? 0 : 1), i * 0.5,
                                       i * 0.7 + (down ? 0.5 : 1.5)),
                         k.radius + i * 0.5, k.radius + i * 0.5);
        p.fillPath(s, QColor(0, 0, 0, 28));
    }

    const QRectF face = down ? body.translated(0, 1) : body;
    QPainterPath keyPath;
    keyPath.addRoundedRect(face, k.radius, k.radius);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, down ? k.pressedTop : k.faceTop);
    g.setColorAt(1, down ? k.pressedBottom : k.faceBottom);
    p.fillPath(keyPath, g);

    if (k.brushed > 0) {
        PeriodicNoise streaks(1, 40, 77 + b.left);
        p.save();
        p.setClipPath(keyPath);
        for (int y = int(face.top()); y < int(face.bottom()) + 1; ++y) {
            const double n = streaks.at(0, double(y) / kButtonHeight);
            p.setPen(QColor(n > 0 ? 255 : 0, n > 0 ? 255 : 0, n > 0 ? 255 : 0,
                            int(std::abs(n) * k.brushed)));
            p.drawLine(QPointF(face.left(), y + 0.5), QPointF(face.right(), y + 0.5));
        }
        p.restore();
    }

    // A gloss across the upper half of a released key; a pressed key shades its top inside.
    p.save();
    p.setClipPath(keyPath);
    if (!down) {
        QLinearGradient gloss(face.topLeft(), QPointF(face.left(), face.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, 40));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(QRectF(face.topLeft(), QSizeF(face.width(), face.height() / 2)), gloss);
    } else {
        QLinearGradient inner(face.topLeft(), QPointF(face.left(), face.top() + 8));
        inner.setColorAt(0, QColor(0, 0, 0, 90));
        inner.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(face, inner);
    }
    p.restore();

    // Rim and the bright top edge.
    p.setPen(QPen(k.rim, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(keyPath);
    if (!down) {
        QPainterPath edge;
        edge.addRoundedRect(face.adjusted(1, 1, -1, -1), k.radius - 1, k.radius - 1);
        p.save();
        p.setClipRect(QRectF(face.left(), face.top(), face.width(), face.height() * 0.45));
        p.setPen(QPen(k.highlight, 1));
        p.drawPath(edge);
        p.restore();
    }

    const QPointF centre = face.center() + QPointF(0, 0);
    const QPainterPath shape = glyph(QString::fromLatin1(b.file), centre);
    if (k.glow.alpha() > 0) {
        drawGlow(p, shape, k.glow, down ? 1.6 : 0.8);
        p.fillPath(shape, down ? k.glyphPressed : k.glyph);
    } else {
        // Engraved: a light lip below, the cut above it.
        p.fillPath(shape.translated(0, 1), QColor(255, 255, 255, down ? 60 : 110));
        p.fillPath(shape, down ? k.glyphPressed : k.glyph);
    }
    return img;
}

SkinDesign baseDesign() {
    // Cool graphite with a fine horizontal brush; ice-blue lettering.
    auto coarse = std::make_shared<PeriodicNoise>(2, 16, 11);
    auto fine = std::make_shared<PeriodicNoise>(4, 64, 12);
    auto grain = std::make_shared<Random>(13);
    auto speck = std::make_shared<std::vector<double>>(64 * 64);
    for (double& s : *speck)
        s = grain->next() - 0.5;
    SkinDesign d;
    d.name = "Base";
    d.tileWidth = 64;
    d.tileHeight = 64;
    d.tile = [coarse, fine, speck](int x, int y) {
        const double u = x / 64.0, v = y / 64.0;
        const double n = coarse->at(u, v) * 5.0 + fine->at(u, v) * 4.0 + (*speck)[y * 64 + x] * 2.5;
        return shade(QColor(0x2a, 0x33, 0x40), n);
    };
    d.key = {QColor(0x58, 0x66, 0x7a),
             QColor(0x2a, 0x32, 0x3f),
             QColor(0x22, 0x29, 0x34),
             QColor(0x36, 0x40, 0x4e),
             QColor(0x0b, 0x0f, 0x15),
             QColor(255, 255, 255, 70),
             QColor(0xbf, 0xe4, 0xff),
             QColor(0xf2, 0xfb, 0xff),
             QColor(0x5c, 0xc8, 0xff),
             7.0,
             0};
    d.back = QColor(0x0e, 0x16, 0x22);
    d.fore = QColor(0xbe, 0xe1, 0xff);
    return d;
}

SkinDesign walnutDesign() {
    // Warm walnut veneer with brushed-aluminium keys; cream lettering.
    auto warp = std::make_shared<PeriodicNoise>(2, 4, 21);
    auto warpFine = std::make_shared<PeriodicNoise>(4, 8, 22);
    auto pores = std::make_shared<PeriodicNoise>(6, 48, 23);
    SkinDesign d;
    d.name = "Walnut";
    d.tileWidth = 128;
    d.tileHeight = 64;
    d.tile = [warp, warpFine, pores](int x, int y) {
        const double u = x / 128.0, v = y / 64.0;
        // Grain runs along x: rings are lines of constant (v + distortion).
        const double distort = warp->at(u, v) * 0.16 + warpFine->at(u, v) * 0.04;
        const double rings = std::sin(2 * kPi * (v * 5 + distort * 5));
        const double ring = std::pow(0.5 + 0.5 * rings, 3.0);
        const double figure = 0.5 + 0.5 * std::sin(2 * kPi * (v * 17 + distort * 9));
        QColor c = mix(QColor(0x3a, 0x20, 0x10), QColor(0x5a, 0x33, 0x1b), 0.35 + 0.45 * figure);
        c = mix(c, QColor(0x26, 0x13, 0x09), ring * 0.42);
        return shade(c, pores->at(u, v) * 5.0);
    };
    d.key = {QColor(0xe4, 0xe6, 0xe8),
             QColor(0xa9, 0xad, 0xb2),
             QColor(0xa0, 0xa4, 0xa9),
             QColor(0xc4, 0xc7, 0xcb),
             QColor(0x2a, 0x1a, 0x10),
             QColor(255, 255, 255, 150),
             QColor(0x3b, 0x27, 0x1a),
             QColor(0xc0, 0x58, 0x10),
             QColor(0, 0, 0, 0),
             5.0,
             14};
    d.back = QColor(0x1e, 0x10, 0x08);
    d.fore = QColor(0xff, 0xe9, 0xc4);
    return d;
}

bool writeSkin(const QString& root, const SkinDesign& d) {
    const QString dir = root + '/' + d.name + '/';
    if (!QDir().mkpath(dir))
        return false;
    const QImage tile = makeTile(d);
    if (!tile.save(dir + "Background.bmp", "BMP"))
        return false;
    for (const Button& b : kButtons) {
        if (!makeButton(d, tile, b, false).save(dir + b.file + "_up.bmp", "BMP"))
            return false;
        if (!makeButton(d, tile, b, true).save(dir + b.file + "_down.bmp", "BMP"))
            return false;
    }
    QFile colors(dir + "Colors.txt");
    if (!colors.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&colors);
    out << "\"//Back Color\"," << colorRef(d.back) << "\r\n"
        << "\"//Fore Color\"," << colorRef(d.fore) << "\r\n";
    return out.status() == QTextStream::Ok;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <Skins directory>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const SkinDesign& d : {baseDesign(), walnutDesign()}) {
        if (!writeSkin(root, d)) {
            std::fprintf(stderr, "cannot write the skin %s under %s\n", qPrintable(d.name),
                         argv[1]);
            return 1;
        }
    }
    return 0;
}
