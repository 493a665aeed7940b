// The floor under the player's start-up: a plain Qt Widgets window of the
// same size with one line of text (fonts are part of any window's start),
// printing the same trace line at its first paint.
#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

class Window final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (m_painted)
            return;
        m_painted = true;
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(stderr, "vornap-trace %lld first-paint\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
        std::fflush(stderr);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Window w;
    w.resize(418, 260);
    auto* text = new QLabel(QStringLiteral("0:00"), &w);
    text->move(110, 72);
    w.show();
    return QApplication::exec();
}
