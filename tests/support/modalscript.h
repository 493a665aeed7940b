#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

namespace vornap::test {

// Plays a user at modal windows while the code under test sits in their
// exec(): each step waits for the modal window of its title, fills it in and
// presses the button of its caption. Steps are queued, so one that opens
// another modal window does not hold the script. A modal window left five
// seconds without a step is closed, so a test fails instead of hanging.
class ModalScript {
public:
    struct Step {
        QString title;
        QString button;
        std::function<void(QWidget*)> fillIn = {};
    };

    explicit ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
        m_waited.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    // The titles of the steps not reached.
    QStringList missed() const {
        QStringList out;
        for (std::size_t i = m_next; i < m_steps.size(); ++i)
            out << m_steps[i].title;
        return out;
    }

private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && m_next < m_steps.size() && modal->windowTitle() == m_steps[m_next].title) {
            m_waited.restart();
            const auto click = [step = m_steps[m_next++], window = QPointer<QWidget>(modal)] {
                if (step.fillIn)
                    step.fillIn(window);
                for (auto* button : window->findChildren<QAbstractButton*>())
                    if (button->text() == step.button)
                        return button->click();
            };
            QMetaObject::invokeMethod(modal, click, Qt::QueuedConnection);
        } else if (modal && m_waited.elapsed() > 5000) {
            modal->close();
        }
    }

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_timer;
    QElapsedTimer m_waited;
};

} // namespace vornap::test
