#include "skins/colors.h"

#include "app/vberror.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>
#include <array>
#include <cmath>
#include <span>

namespace vornap {

namespace {

constexpr std::uint32_t kSystemColorBit = 0x80000000u;

RuntimeError invalidPropertyValue() {
    return {380, QStringLiteral("Invalid property value")};
}

// "&H" hexadecimal, optionally ended by "&", as the language reads it.
bool parseHex(const QString& text, double& value) {
    if (!text.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        return false;
    QString digits = text.mid(2);
    if (digits.endsWith('&'))
        digits.chop(1);
    bool ok = false;
    const qulonglong n = digits.toULongLong(&ok, 16);
    if (!ok || digits.isEmpty() || digits.size() > 8)
        throw errors::typeMismatch();
    // Up to eight digits are a signed 32-bit value, as &H8000000F is.
    value = double(std::int32_t(std::uint32_t(n)));
    return true;
}

struct SystemColor {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The Windows system colour indexes (COLOR_SCROLLBAR = 0 ... COLOR_MENUBAR = 30)
// and the palette entry that plays the same part.
constexpr std::array<SystemColor, 31> kSystemColors{{
    {QPalette::Active, QPalette::Button},            // scroll bar
    {QPalette::Active, QPalette::Dark},              // desktop
    {QPalette::Active, QPalette::Highlight},         // active caption
    {QPalette::Inactive, QPalette::Highlight},       // inactive caption
    {QPalette::Active, QPalette::Window},            // menu
    {QPalette::Active, QPalette::Base},              // window
    {QPalette::Active, QPalette::Shadow},            // window frame
    {QPalette::Active, QPalette::WindowText},        // menu text
    {QPalette::Active, QPalette::Text},              // window text
    {QPalette::Active, QPalette::HighlightedText},   // caption text
    {QPalette::Active, QPalette::Window},            // active border
    {QPalette::Inactive, QPalette::Window},          // inactive border
    {QPalette::Active, QPalette::Mid},               // application workspace
    {QPalette::Active, QPalette::Highlight},         // highlight
    {QPalette::Active, QPalette::HighlightedText},   // highlighted text
    {QPalette::Active, QPalette::Button},            // button face
    {QPalette::Active, QPalette::Dark},              // button shadow
    {QPalette::Disabled, QPalette::Text},            // grey text
    {QPalette::Active, QPalette::ButtonText},        // button text
    {QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {QPalette::Active, QPalette::Light},             // button highlight
    {QPalette::Active, QPalette::Shadow},            // 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 3-D light
    {QPalette::Active, QPalette::ToolTipText},       // tool tip text
    {QPalette::Active, QPalette::ToolTipBase},       // tool tip back
    {QPalette::Active, QPalette::NoRole},            // index 25 is not a colour
    {QPalette::Active, QPalette::Link},              // hot-tracked item
    {QPalette::Active, QPalette::Highlight},         // active caption gradient
    {QPalette::Inactive, QPalette::Highlight},       // inactive caption gradient
    {QPalette::Active, QPalette::Highlight},         // menu highlight
    {QPalette::Active, QPalette::Window},            // menu bar
}};

bool isCombo(const QWidget* control) {
    return qobject_cast<const QComboBox*>(control) != nullptr;
}

} // namespace

std::uint32_t ColorValue(const QString& text) {
    const QString trimmed = text.trimmed();
    double value = 0;
    if (!parseHex(trimmed, value)) {
        bool ok = false;
        value = trimmed.toDouble(&ok);
        if (!ok || std::isnan(value))
            throw errors::typeMismatch();
    }
    if (!std::isfinite(value))
        throw errors::overflow();
    const double rounded = std::nearbyint(value);
    // Negative values are the signed form of the same 32 bits (system colours
    // are often written that way); unsigned ones are accepted as well.
    if (rounded < -2147483648.0 || rounded > 4294967295.0)
        throw errors::overflow();
    return rounded < 0 ? std::uint32_t(std::int32_t(rounded)) : std::uint32_t(rounded);
}

QColor ColorFromValue(std::uint32_t value) {
    if (value & kSystemColorBit) {
        const std::uint32_t index = value & ~kSystemColorBit;
        if (index >= kSystemColors.size() || kSystemColors[index].role == QPalette::NoRole)
            throw invalidPropertyValue();
        const SystemColor& sys = kSystemColors[index];
        return QGuiApplication::palette().color(sys.group, sys.role);
    }
    // 0x01 (palette index) and 0x02 (palette-relative) in the high byte still
    // carry the RGB in the low three bytes; other high bytes are no colour.
    const std::uint32_t high = value >> 24;
    if (high > 0x02)
        throw invalidPropertyValue();
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

void SetForeColor(QWidget* control, const QColor& color) {
    QPalette p = control->palette();
    QColor dimmed = color;
    dimmed.setAlpha(128);
    // A check box draws its tick in the Text colour on its own white box, so
    // only a combo box takes the fore colour as its text.
    static constexpr std::array kLabelRoles{QPalette::WindowText};
    static constexpr std::array kComboRoles{QPalette::WindowText, QPalette::Text,
                                            QPalette::ButtonText};
    const auto roles = isCombo(control) ? std::span<const QPalette::ColorRole>(kComboRoles)
                                        : std::span<const QPalette::ColorRole>(kLabelRoles);
    for (QPalette::ColorRole role : roles) {
        p.setColor(QPalette::Active, role, color);
        p.setColor(QPalette::Inactive, role, color);
        p.setColor(QPalette::Disabled, role, dimmed);
    }
    control->setPalette(p);
}

void SetBackColor(QWidget* control, const QColor& color) {
    QPalette p = control->palette();
    if (isCombo(control)) {
        p.setColor(QPalette::Base, color);
        p.setColor(QPalette::Button, color);
        p.setColor(QPalette::Window, color);
    } else {
        p.setColor(QPalette::Window, color);
        control->setAutoFillBackground(true);
    }
    control->setPalette(p);
}

QColor ForeColorOf(const QWidget* control) {
    return control->palette().color(QPalette::Active,
                                    isCombo(control) ? QPalette::Text : QPalette::WindowText);
}

QColor BackColorOf(const QWidget* control) {
    return control->palette().color(QPalette::Active,
                                    isCombo(control) ? QPalette::Base : QPalette::Window);
}

} // namespace vornap
