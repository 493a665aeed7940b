#include "app/waitaside.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <exception>
#include <thread>

namespace vornap {

namespace {

// Swallows what the user does to any window, closing one included.
class InputDrop final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void runAside(Application& app, const std::function<void()>& work) {
    std::exception_ptr failure;
    QEventLoop loop;
    InputDrop drop;
    QCoreApplication::instance()->installEventFilter(&drop);
    ++app.waitingAside;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: reaches the loop even when it has not started yet.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    --app.waitingAside;
    QCoreApplication::instance()->removeEventFilter(&drop);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vornap
