#include "platform/windowstyle.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <vector>

#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace vornap::platform {

namespace {

#if QT_CONFIG(xcb)
xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

// Puts _NET_WM_STATE_SKIP_TASKBAR on the window: in the property itself for a
// window not yet mapped (the window manager reads it at map time), and as a
// request to the window manager for one already shown.
void setSkipTaskbar(QWidget* window, bool skip) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* c = x11->connection();
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE)
        return;

    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    std::erase(atoms, skipTaskbar);
    if (skip)
        atoms.push_back(skipTaskbar);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        std::uint32_t(atoms.size()), atoms.data());

    if (window->isVisible()) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = skip ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
        event.data.data32[1] = skipTaskbar;
        event.data.data32[3] = 1; // from a normal application
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
}
#else
void setSkipTaskbar(QWidget*, bool) {}
#endif

} // namespace

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
    const bool skip = (value & WS_EX_APPWINDOW) == 0;
    window->setProperty("vornapSkipTaskbar", skip);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        setSkipTaskbar(window, skip);
    return previous;
}

} // namespace vornap::platform
