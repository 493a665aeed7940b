#include "cd/mbprogressbar.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace vornap {

namespace {
constexpr int kBorder = 2; // the frame and a pixel of background around the bar
}

MBProgressBar::MBProgressBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MBProgressBar::setValue(Long value) {
    const int before = barWidth();
    m_value = value;
    updateBar(before);
}
void MBProgressBar::setMin(Long value) {
    const int before = barWidth();
    m_min = value;
    updateBar(before);
}
void MBProgressBar::setMax(Long value) {
    const int before = barWidth();
    m_max = value;
    updateBar(before);
}
void MBProgressBar::setBackColor(const QColor& color) {
    m_back = color;
    update();
}
void MBProgressBar::setBarColor(const QColor& color) {
    m_bar = color;
    update();
}
void MBProgressBar::setBarColor2(const QColor& color) {
    m_bar2 = color;
    update();
}

QRect MBProgressBar::inner() const {
    return rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
}

int MBProgressBar::barWidth() const {
    const double span = double(m_max) - double(m_min);
    if (span <= 0)
        return 0;
    const double fraction = std::clamp((double(m_value) - m_min) / span, 0.0, 1.0);
    return std::max(0, int(inner().width() * fraction + 0.5));
}

// Playing moves the bar by a pixel or two every few seconds: only those
// pixels are drawn again, and nothing when the bar does not move.
void MBProgressBar::updateBar(int before) {
    const int after = barWidth();
    if (after == before)
        return;
    const QRect bar = inner();
    update(bar.left() + std::min(before, after), bar.top(), std::abs(after - before), bar.height());
}

void MBProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect();
    p.fillRect(frame, m_back);
    // The frame as four filled lines: a stroked rectangle costs the raster
    // engine a hundred times more for the same pixels.
    const QColor edge = m_bar.darker(150);
    const int w = frame.width(), h = frame.height();
    p.fillRect(0, 0, w, 1, edge);
    p.fillRect(0, h - 1, w, 1, edge);
    p.fillRect(0, 1, 1, h - 2, edge);
    p.fillRect(w - 1, 1, 1, h - 2, edge);
    const int width = barWidth();
    if (width <= 0)
        return;
    const QRect bar = inner();
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, m_bar);
    gradient.setColorAt(1, m_bar2);
    p.fillRect(QRect(bar.left(), bar.top(), width, bar.height()), gradient);
}

} // namespace vornap
