#include "platform/windowstyle.h"

#include <QWidget>

namespace vornap::platform {

std::int32_t DesktopWindowStyle::getWindowLong(QWidget* window, std::int32_t index) {
    if (index != GWL_EXSTYLE || !window)
        return 0;
    return m_exStyle.value(window, WS_EX_APPWINDOW);
}

std::int32_t DesktopWindowStyle::setWindowLong(QWidget* window, std::int32_t index,
                                               std::int32_t value) {
    if (index != GWL_EXSTYLE || !window)
        return 0;
    const std::int32_t previous = getWindowLong(window, index);
    m_exStyle.insert(window, value);
    // The skip-taskbar hint is carried as a dynamic property that the X11
    // side of the tray service applies when the window is mapped.
    window->setProperty("vornapSkipTaskbar", (value & WS_EX_APPWINDOW) == 0);
    return previous;
}

} // namespace vornap::platform
