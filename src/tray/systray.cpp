#include "tray/systray.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "freedb/freedbcontrol.h"
#include "tray/icons.h"
#include "tray/traytip.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QWindow>

namespace vornap {

namespace {

// In tray mode the window has no taskbar button, but only while a tray shows
// the icon: without one the button is the only way back to a minimised window.
void setAppWindowBit(frmCD& form, bool appWindow) {
    auto& style = *form.app.platform.windowStyle;
    const auto exStyle = style.getWindowLong(&form, platform::GWL_EXSTYLE);
    style.setWindowLong(&form, platform::GWL_EXSTYLE,
                        appWindow ? exStyle | platform::WS_EX_APPWINDOW
                                  : exStyle & ~platform::WS_EX_APPWINDOW);
}

void clearAppWindowBit(frmCD& form) {
    setAppWindowBit(form, !form.app.platform.tray->hostPresent());
}

void restoreWindow(frmCD& form) {
    do {
        form.setWindowState(form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        form.show();
        form.raise();
        clearAppWindowBit(form);
        ++form.iShowCount;
    } while (form.iShowCount < 2);
    form.iShowCount = 0;
    // Some window managers minimise a modal dialog with its whole group; the
    // window brought back alone would take no input. Its open dialogs come
    // back with it, the one that has the input on top.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &form && w->isModal() && !w->isHidden() && w->isMinimized()) {
            w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
            w->show();
        }
    }
    if (QWidget* top = QApplication::activeModalWidget()) {
        top->raise();
        top->activateWindow();
    }
}

// On Wayland a minimise asked for by the window's own decoration reaches the
// window, never the widget: the compositor tells nobody. Pass it on so the
// hide to the tray sees it.
void followWindowState(frmCD& form) {
    if (form.property("vornapFollowsWindowState").toBool())
        return;
    form.setProperty("vornapFollowsWindowState", true);
    form.winId();
    QObject::connect(form.windowHandle(), &QWindow::windowStateChanged, &form,
                     [&form](Qt::WindowState state) {
                         if (state == Qt::WindowMinimized && !form.isMinimized())
                             form.setWindowState(form.windowState() | Qt::WindowMinimized);
                     });
}

} // namespace

void GiveBackTaskbarButton(frmCD& form) {
    auto& style = *form.app.platform.windowStyle;
    if ((style.getWindowLong(&form, platform::GWL_EXSTYLE) & platform::WS_EX_APPWINDOW) == 0)
        setAppWindowBit(form, true);
}

void AddSysTrayIcon(Application& app) {
    guarded(app, [&] {
        auto& v = app.v;
        if (v.sSysTrayOnly != QLatin1String("1"))
            return;
        frmCD& form = *app.cd;
        followWindowState(form);
        auto& nid = v.nidTray;
        nid.cbSize = 88;
        nid.hWnd = &form;
        nid.uID = 0;
        nid.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
        nid.uCallbackMessage = platform::WM_MOUSEMOVE;
        const QIcon icon = LoadResPicture(TrayIconNumber(v.sIconNum));
        form.setWindowIcon(icon);
        nid.hIcon = icon;
        if (!v.bCDInDrive)
            SetTrayTip(nid, QStringLiteral("No CD!") + QChar(0));
        else if (!v.bCDDBFound)
            SetTrayTip(nid, CStr(v.iCurrentTrack) + '.' + QChar(0));
        else
            SetTrayTip(nid, CStr(v.iCurrentTrack) + QStringLiteral(". ") +
                                form.uFREEDB1->TrackTitle(v.iCurrentTrack) + QChar(0));
        app.platform.tray->shellNotifyIcon(platform::NIM_ADD, nid);
    });
}

// The icon's clicks come straight from the tray service; mouse movement over
// the window itself never reaches this.
void frmCD::trayMessage(std::uint32_t mouseMessage) {
    if (mouseMessage == platform::WM_LBUTTONDBLCLK) {
        restoreWindow(*this);
    } else if (mouseMessage == platform::WM_RBUTTONUP) {
        mnuSysTrayMenu->setDefaultAction(mnuShow);
        mnuSysTrayMenu->popup(QCursor::pos());
    }
}

void frmCD::Form_Resize() {
    // Without a tray host the window minimises to its taskbar button instead.
    if (app.v.sSysTrayOnly == QLatin1String("1") && isMinimized() &&
        app.platform.tray->hostPresent()) {
        hide();
        clearAppWindowBit(*this);
        iShowCount = -1;
    }
}

// The tray host came or went while the program is in tray mode.
void frmCD::trayHostChanged(bool present) {
    if (app.v.sSysTrayOnly != QLatin1String("1") || m_unloaded)
        return;
    if (present) {
        if (iShowCount != -1)
            clearAppWindowBit(*this);
    } else if (iShowCount == -1) {
        // Hidden in a tray that is gone: nothing else could bring it back.
        restoreWindow(*this);
    } else {
        GiveBackTaskbarButton(*this);
    }
}

void frmCD::mnuShow_Click() {
    restoreWindow(*this);
}

void frmCD::mnuSysTrayExit_Click() {
    close();
}

} // namespace vornap
