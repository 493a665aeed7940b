#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

class QWidget;

namespace vornap {

// A colour as the skin's colour file gives it: a Windows COLORREF in decimal
// (or &H hexadecimal) text, red in the low byte. Text that is not a number is
// a Type mismatch; a number outside 32 bits an Overflow.
std::uint32_t ColorValue(const QString& text);

// The colour a COLORREF names. A value with the top bit set is a system
// colour; its index is looked up in the application palette so the skin
// follows the desktop theme. An unknown index is an Invalid property value.
QColor ColorFromValue(std::uint32_t value);

inline QColor SkinColor(const QString& text) {
    return ColorFromValue(ColorValue(text));
}

// The ForeColor and BackColor properties of a control. Labels, check boxes and
// frames fill their rectangle once they have a back colour; a combo box takes
// both colours on its edit field and list.
void SetForeColor(QWidget* control, const QColor& color);
void SetBackColor(QWidget* control, const QColor& color);
QColor ForeColorOf(const QWidget* control);
QColor BackColorOf(const QWidget* control);

} // namespace vornap
