#include "tray/systray.h"

#include "app/fatal.h"
#include "app/frmcd.h"
#include "freedb/freedbcontrol.h"
#include "tray/icons.h"

#include <QCursor>
#include <QMenu>

namespace vornap {

namespace {

void clearAppWindowBit(frmCD& form) {
    auto& style = *form.app.platform.windowStyle;
    const auto exStyle = style.getWindowLong(&form, platform::GWL_EXSTYLE);
    style.setWindowLong(&form, platform::GWL_EXSTYLE, exStyle & ~platform::WS_EX_APPWINDOW);
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
}

} // namespace

void setTrayTip(platform::NotifyIconData& record, const QString& text, bool appendNul) {
    QByteArray bytes = text.toLocal8Bit();
    if (appendNul)
        bytes.append('\0');
    bytes = bytes.left(qsizetype(record.szTip.size()));
    record.szTip.fill(' ');
    std::copy(bytes.begin(), bytes.end(), record.szTip.begin());
}

void AddSysTrayIcon(Application& app) {
    guarded(app, [&] {
        auto& v = app.v;
        if (v.sSysTrayOnly != QLatin1String("1"))
            return;
        frmCD& form = *app.cd;
        auto& nid = v.nidTray;
        nid.cbSize = 88;
        nid.hWnd = &form;
        nid.uID = 0;
        nid.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
        nid.uCallbackMessage = platform::WM_MOUSEMOVE;
        const QIcon icon = LoadResPicture(int(Val(v.sIconNum)));
        form.setWindowIcon(icon);
        nid.hIcon = icon;
        if (!v.bCDInDrive)
            setTrayTip(nid, QStringLiteral("No CD!"), true);
        else if (!v.bCDDBFound)
            setTrayTip(nid, CStr(v.iCurrentTrack) + '.', true);
        else
            setTrayTip(nid, CStr(v.iCurrentTrack) + QStringLiteral(". ") +
                                form.uFREEDB1->TrackTitle(v.iCurrentTrack),
                       true);
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
    if (app.v.sSysTrayOnly == QLatin1String("1") && isMinimized()) {
        hide();
        clearAppWindowBit(*this);
        iShowCount = -1;
    }
}

void frmCD::mnuShow_Click() { restoreWindow(*this); }

void frmCD::mnuSysTrayExit_Click() { close(); }

} // namespace vornap
