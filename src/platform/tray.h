#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QMenu;
class QWidget;
class QSystemTrayIcon;
class QDBusServiceWatcher;
class QTimer;

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
//
// Unlike the shell it stands in for, a Linux desktop may have no tray at all,
// or lose it and get one back while the program runs: hostPresent() tells
// whether an added icon can be seen, and the host handler hears each change.
class Tray {
public:
    virtual ~Tray() = default;
    virtual bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
    // The icon's pop-up menu, handed to hosts that draw the menu themselves.
    virtual void setContextMenu(QMenu*) {}
    virtual bool hostPresent() const { return true; }
    void setMessageHandler(std::function<void(std::uint32_t)> handler) {
        m_handler = std::move(handler);
    }
    void setHostHandler(std::function<void(bool)> handler) { m_hostHandler = std::move(handler); }

protected:
    void deliver(std::uint32_t mouseMessage) {
        if (m_handler)
            m_handler(mouseMessage);
    }
    void hostChanged(bool present) {
        if (m_hostHandler)
            m_hostHandler(present);
    }

private:
    std::function<void(std::uint32_t)> m_handler;
    std::function<void(bool)> m_hostHandler;
};

// A QSystemTrayIcon driven by the notify-icon calls. It talks to a
// StatusNotifier host over the session bus when one is registered, else to an
// XEmbed tray on X11. The QSystemTrayIcon exists only while the icon is added
// and a host is there, so a host that comes later gets the icon, and Qt, which
// picks the protocol once per process, is not asked before a host exists.
class QtTray final : public Tray {
public:
    QtTray();
    ~QtTray() override;
    bool shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) override;
    void setContextMenu(QMenu* menu) override;
    bool hostPresent() const override { return m_present; }
    QSystemTrayIcon* icon() const { return m_icon.get(); }

private:
    void refresh();
    void createIcon();
    void activated(int reason);
    bool statusNotifierHostPresent() const;
    bool xembedTrayPresent() const;
    bool hostOfChosenProtocol() const;

    bool m_added = false;
    bool m_present = false;
    // Qt's choice, made at the first icon: StatusNotifier (true) or XEmbed.
    std::optional<bool> m_statusNotifier;
    QIcon m_picture;
    QString m_tip;
    QPointer<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QDBusServiceWatcher> m_watcher;
    std::unique_ptr<QTimer> m_xembedPoll;
};

} // namespace vornap::platform
