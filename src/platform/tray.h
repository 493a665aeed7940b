#pragma once

#include <QIcon>
#include <array>
#include <cstdint>
#include <functional>

class QWidget;
class QSystemTrayIcon;

namespace vornap::platform {

inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_MODIFY = 1;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1;
inline constexpr std::uint32_t NIF_ICON = 2;
inline constexpr std::uint32_t NIF_TIP = 4;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x203;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x205;

// The version-1 notify-icon record: 88 bytes on the system it comes from.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    QWidget* hWnd = nullptr;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    QIcon hIcon;
    std::array<char, 64> szTip{}; // ANSI bytes; the tip ends at the first NUL or at 64
};

// Shell_NotifyIconA. The shell reports the icon's mouse messages back through
// the callback (0x203 double click, 0x205 right button up).
class Tray {
public:
    virtual ~Tray() = default;
    virtual bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
    void setMessageHandler(std::function<void(std::uint32_t)> handler) {
        m_handler = std::move(handler);
    }

protected:
    void deliver(std::uint32_t mouseMessage) {
        if (m_handler)
            m_handler(mouseMessage);
    }

private:
    std::function<void(std::uint32_t)> m_handler;
};

// A QSystemTrayIcon driven by the notify-icon calls.
class QtTray final : public Tray {
public:
    QtTray();
    ~QtTray() override;
    bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) override;
    QSystemTrayIcon* icon() const { return m_icon; }

private:
    QSystemTrayIcon* m_icon = nullptr;
};

} // namespace vornap::platform
