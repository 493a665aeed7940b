#pragma once

#include "app/vbtypes.h"

#include <QColor>
#include <QWidget>

namespace vornap {

// The progress bar: Value between Min and Max, drawn in BarColor fading to
// BarColor2 over BackColor. Values outside the range are drawn clamped.
class MBProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit MBProgressBar(QWidget* parent = nullptr);

    void setValue(Long value);
    void setMin(Long value);
    void setMax(Long value);
    void setBackColor(const QColor& color);
    void setBarColor(const QColor& color);
    void setBarColor2(const QColor& color);

    Long Value() const { return m_value; }
    Long Min() const { return m_min; }
    Long Max() const { return m_max; }
    QColor BackColor() const { return m_back; }
    QColor BarColor() const { return m_bar; }
    QColor BarColor2() const { return m_bar2; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect inner() const;
    // Pixels of the bar drawn for the present values.
    int barWidth() const;
    void updateBar(int widthBefore);

    Long m_value = 0;
    Long m_min = 0;
    Long m_max = 100;
    QColor m_back{Qt::white};
    QColor m_bar{0, 0, 128};
    QColor m_bar2{0, 0, 128};
};

} // namespace vornap
