#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace vornap::test {

// Plays a user at modal windows while the code under test sits in their
// exec(): each step waits for the modal window of its title, then acts on it.
// Acts are queued, so an act that opens another modal window does not hold
// the script. A step not reached in five seconds closes every modal window,
// so a test fails instead of hanging.
class ModalScript {
public:
    struct Step {
        QString title;
        std::function<void(QWidget*)> act;
    };

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        m_waited.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    // The titles of the steps not reached, in order.
    QStringList missed() const {
        QStringList out;
        for (std::size_t i = m_next; i < m_steps.size(); ++i)
            out << m_steps[i].title;
        return out;
    }

    template <class Dialog> static Dialog* as(QWidget* w) { return qobject_cast<Dialog*>(w); }

private:
    void poll() {
        if (m_next >= m_steps.size()) {
            m_timer.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->windowTitle() == m_steps[m_next].title) {
            QPointer<QWidget> target(modal);
            auto act = m_steps[m_next++].act;
            m_waited.restart();
            QMetaObject::invokeMethod(
                modal,
                [target, act] {
                    if (target)
                        act(target);
                },
                Qt::QueuedConnection);
        } else if (m_waited.elapsed() > 5000) {
            m_timer.stop();
            while (QWidget* open = QApplication::activeModalWidget())
                open->close();
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_timer;
    QElapsedTimer m_waited;
};

} // namespace vornap::test
