#include "cd/mbprogressbar.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace vornap {

MBProgressBar::MBProgressBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MBProgressBar::setValue(Long value) {
    m_value = value;
    update();
}
void MBProgressBar::setMin(Long value) {
    m_min = value;
    update();
}
void MBProgressBar::setMax(Long value) {
    m_max = value;
    update();
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

void MBProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect frame = rect();
    p.fillRect(frame, m_back);
    p.setPen(m_bar.darker(150));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    const double span = double(m_max) - double(m_min);
    if (span <= 0)
        return;
    const double fraction = std::clamp((double(m_value) - m_min) / span, 0.0, 1.0);
    const QRect inner = frame.adjusted(2, 2, -2, -2);
    const int width = int(inner.width() * fraction + 0.5);
    if (width <= 0)
        return;
    QLinearGradient gradient(inner.topLeft(), inner.topRight());
    gradient.setColorAt(0, m_bar);
    gradient.setColorAt(1, m_bar2);
    p.fillRect(QRect(inner.left(), inner.top(), width, inner.height()), gradient);
}

} // namespace vornap
