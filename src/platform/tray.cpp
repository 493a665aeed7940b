#include "platform/tray.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdlib>
#include <cstring>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace vornap::platform {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
// A host that does not answer within this is taken as absent rather than
// freezing the window.
constexpr int kBusTimeoutMs = 1000;
constexpr int kXEmbedPollMs = 2000;

// The tip as the desktop shows it: up to the first NUL, without the blanks
// that pad the field.
QString tipText(const NotifyIconData& data) {
    const char* tip = data.szTip.data();
    const auto* end = static_cast<const char*>(std::memchr(tip, 0, data.szTip.size()));
    const qsizetype length = end ? end - tip : qsizetype(data.szTip.size());
    QString text = QString::fromLocal8Bit(tip, length);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

bool watcherRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kWatcher);
}

} // namespace

QtTray::QtTray() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        // Every change of the watcher or of its hosts is looked at once, after
        // the signals of one change have all come in.
        auto* recheck = new QTimer;
        recheck->setSingleShot(true);
        recheck->setInterval(0);
        QObject::connect(recheck, &QTimer::timeout, [this] { refresh(); });
        m_watcher = std::make_unique<QDBusServiceWatcher>(kWatcher, bus,
                                                          QDBusServiceWatcher::WatchForOwnerChange);
        recheck->setParent(m_watcher.get());
        QObject::connect(m_watcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, recheck,
                         qOverload<>(&QTimer::start));
        for (const char* signal :
             {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus.connect(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                        QLatin1String(signal), recheck, SLOT(start()));
    }
    // An XEmbed tray says nothing when it comes or goes that Qt would pass on.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_xembedPoll = std::make_unique<QTimer>();
        m_xembedPoll->setInterval(kXEmbedPollMs);
        QObject::connect(m_xembedPoll.get(), &QTimer::timeout, [this] { refresh(); });
    }
}

QtTray::~QtTray() = default;

bool QtTray::statusNotifierHostPresent() const {
    if (!watcherRegistered())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kBusTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool QtTray::xembedTrayPresent() const {
#if QT_CONFIG(xcb)
    if (!m_xembedPoll)
        return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* c = x11->connection();
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 1, std::uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool present = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return present;
#else
    return false;
#endif
}

void QtTray::createIcon() {
    // Qt settles on StatusNotifier for the whole process at its first icon
    // when the watcher says a host is registered then; this mirrors that choice.
    if (!m_statusNotifier)
        m_statusNotifier = statusNotifierHostPresent();
    m_icon = std::make_unique<QSystemTrayIcon>();
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
    m_icon->setIcon(m_picture);
    m_icon->setToolTip(m_tip);
    // A StatusNotifier host draws the menu itself, from the copy Qt exports;
    // on an XEmbed tray the program pops it up, as on the shell.
    if (*m_statusNotifier && m_menu)
        m_icon->setContextMenu(m_menu);
    m_icon->show();
}

void QtTray::activated(int reason) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        deliver(WM_LBUTTONDBLCLK);
        break;
    case QSystemTrayIcon::Trigger:
        // A StatusNotifier host reports only a click (Activate), never a
        // double click, so there the click restores; on XEmbed a single
        // click does nothing.
        if (m_statusNotifier.value_or(false))
            deliver(WM_LBUTTONDBLCLK);
        break;
    case QSystemTrayIcon::Context:
        deliver(WM_RBUTTONUP);
        break;
    default:
        break;
    }
}

// Once Qt has chosen a protocol, only a host of that protocol can show the icon.
bool QtTray::hostOfChosenProtocol() const {
    if (m_statusNotifier)
        return *m_statusNotifier ? statusNotifierHostPresent() : xembedTrayPresent();
    return statusNotifierHostPresent() || xembedTrayPresent();
}

void QtTray::refresh() {
    if (!m_added)
        return;
    const bool present = hostOfChosenProtocol();
    if (present && !m_icon) {
        createIcon();
        if (m_xembedPoll && *m_statusNotifier)
            m_xembedPoll->stop();
    } else if (!present) {
        m_icon.reset();
    }
    if (present != m_present) {
        m_present = present;
        hostChanged(present);
    }
}

void QtTray::setContextMenu(QMenu* menu) {
    m_menu = menu;
    if (m_icon && m_statusNotifier.value_or(false))
        m_icon->setContextMenu(menu);
}

bool QtTray::shellNotifyIcon(std::uint32_t message, const NotifyIconData& data) {
    switch (message) {
    case NIM_ADD:
    case NIM_MODIFY:
        if (message == NIM_MODIFY && !m_added)
            return false;
        // Only what changed reaches the host: each change is a pair of
        // signals on the bus and a new picture for the host to fetch.
        if ((data.uFlags & NIF_ICON) && data.hIcon.cacheKey() != m_picture.cacheKey()) {
            m_picture = data.hIcon;
            if (m_icon)
                m_icon->setIcon(m_picture);
        }
        if (data.uFlags & NIF_TIP) {
            const QString tip = tipText(data);
            if (tip != m_tip) {
                m_tip = tip;
                if (m_icon)
                    m_icon->setToolTip(m_tip);
            }
        }
        if (message == NIM_ADD && !m_added) {
            m_added = true;
            m_present = hostOfChosenProtocol();
            if (m_present)
                createIcon();
            if (m_xembedPoll && !m_statusNotifier.value_or(false))
                m_xembedPoll->start();
        }
        return true;
    case NIM_DELETE:
        if (!m_added)
            return false;
        m_added = false;
        m_present = false;
        m_icon.reset();
        if (m_xembedPoll)
            m_xembedPoll->stop();
        return true;
    default:
        return false;
    }
}

} // namespace vornap::platform
