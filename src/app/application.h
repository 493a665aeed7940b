#pragma once

#include "app/state.h"
#include "platform/platform.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace vornap {

class FreeDbControl;
class frmCD;

// Owns the state and reaches the platform; the working procedures take it by
// reference.
class Application {
public:
    explicit Application(platform::Platform& platform) : platform(platform) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Variables v;
    platform::Platform& platform;

    // App.Path, without a trailing separator.
    QString appPath() const { return platform.appPath->path(); }
    // App.HelpFile.
    QString helpFile;

    // The windows. frmCD lives for the whole run; the others exist while open
    // or after a skin change created them hidden.
    frmCD* cd = nullptr;
    QPointer<QWidget> frmAbout;
    QPointer<QWidget> frmEmail;
    QPointer<QWidget> frmPref;
    QPointer<QWidget> frmSelectSkinDirectory;
    QPointer<QWidget> frmSetProxy;
    QPointer<QWidget> frmUpdate;

    // How each dialog is created (loaded) by name ("frmAbout", "frmPref", ...):
    // a skin change creates a window that is not open, hidden. Each dialog's
    // folder registers its factory; the factory stores the window in the
    // matching pointer above.
    std::map<QString, std::function<QWidget*(Application&)>> formFactories;

    // Above 0 while the window waits for work running aside (a lookup, the
    // update download): event handlers and timer ticks are dropped meanwhile.
    int waitingAside = 0;

    // Called after every event the program handled (a click, a tick, a
    // message from the tray), so observers of the state can follow it.
    std::vector<std::function<void()>> eventObservers;
    void notifyObservers() {
        for (const auto& observer : eventObservers)
            observer();
    }
};

} // namespace vornap
