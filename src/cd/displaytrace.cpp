#include "cd/displaytrace.h"

#include "app/frmcd.h"

#include <QApplication>
#include <QEvent>
#include <chrono>
#include <cstdio>

namespace vornap {

namespace {

class DisplayTrace final : public QObject {
public:
    explicit DisplayTrace(frmCD& form) : QObject(&form), m_form(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType() ||
            static_cast<QWidget*>(watched)->window() != &m_form)
            return false;
        // Every paint of one frame sees the same state; only changes print.
        if (!m_painted) {
            m_painted = true;
            print("first-paint");
        }
        const bool tracks = m_form.cboCurrentTrack->count() > 0;
        const QString album = m_form.lblAlbum->text();
        const bool titles = !album.isEmpty() && album != QLatin1String("-");
        if (tracks != m_tracks)
            print(tracks ? "tracks-shown" : "tracks-gone");
        if (titles != m_titles)
            print(titles ? "titles-shown" : "titles-gone");
        m_tracks = tracks;
        m_titles = titles;
        return false;
    }

private:
    static void print(const char* what) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::fprintf(stderr, "vornap-trace %lld %s\n",
                     static_cast<long long>(
                         std::chrono::duration_cast<std::chrono::microseconds>(now).count()),
                     what);
        std::fflush(stderr);
    }

    frmCD& m_form;
    bool m_painted = false;
    bool m_tracks = false;
    bool m_titles = false;
};

} // namespace

void installDisplayTrace(frmCD& form) {
    if (qEnvironmentVariableIsEmpty("VORNAP_TRACE"))
        return;
    qApp->installEventFilter(new DisplayTrace(form));
}

} // namespace vornap
