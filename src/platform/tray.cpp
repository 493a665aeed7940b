#include "platform/tray.h"

#include <QSystemTrayIcon>
#include <cstring>

namespace vornap::platform {

namespace {
QString tipText(const NotifyIconData& data) {
    const char* tip = data.szTip.data();
    const auto* end = static_cast<const char*>(std::memchr(tip, 0, data.szTip.size()));
    const qsizetype length = end ? end - tip : qsizetype(data.szTip.size());
    return QString::fromLocal8Bit(tip, length);
}
} // namespace

QtTray::QtTray() = default;

QtTray::~QtTray() { delete m_icon; }

bool QtTray::shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) {
    switch (message) {
    case NIM_ADD:
        if (!m_icon) {
            m_icon = new QSystemTrayIcon;
            QObject::connect(m_icon, &QSystemTrayIcon::activated, m_icon,
                             [this](QSystemTrayIcon::ActivationReason reason) {
                                 if (reason == QSystemTrayIcon::DoubleClick)
                                     deliver(WM_LBUTTONDBLCLK);
                                 else if (reason == QSystemTrayIcon::Context)
                                     deliver(WM_RBUTTONUP);
                             });
        }
        [[fallthrough]];
    case NIM_MODIFY:
        if (!m_icon)
            return false;
        if (data.uFlags & NIF_ICON)
            m_icon->setIcon(data.hIcon);
        if (data.uFlags & NIF_TIP)
            m_icon->setToolTip(tipText(data));
        if (message == NIM_ADD)
            m_icon->show();
        return true;
    case NIM_DELETE:
        if (!m_icon)
            return false;
        delete m_icon;
        m_icon = nullptr;
        return true;
    default:
        return false;
    }
}

} // namespace vornap::platform
