#pragma once

#include <QHash>
#include <cstdint>

class QWidget;

namespace vornap::platform {

inline constexpr std::int32_t GWL_EXSTYLE = -20;
inline constexpr std::int32_t WS_EX_APPWINDOW = 0x40000;

// GetWindowLongA / SetWindowLongA for the extended style. Only the
// application-window bit means anything here: without it the window has no
// taskbar button.
class WindowStyle {
public:
    virtual ~WindowStyle() = default;
    virtual std::int32_t getWindowLong(QWidget* window, std::int32_t index) = 0;
    virtual std::int32_t setWindowLong(QWidget* window, std::int32_t index, std::int32_t value) = 0;
};

// Keeps the style per window and turns a cleared application-window bit
// into the window manager's skip-taskbar state.
class DesktopWindowStyle final : public WindowStyle {
public:
    std::int32_t getWindowLong(QWidget* window, std::int32_t index) override;
    std::int32_t setWindowLong(QWidget* window, std::int32_t index, std::int32_t value) override;

private:
    QHash<QWidget*, std::int32_t> m_exStyle;
};

} // namespace vornap::platform
