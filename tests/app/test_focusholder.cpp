#include "support/apptest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace vornap;
using namespace vornap::test;

namespace {

// Counts what a caret's blinking costs: its timer and the paints it causes.
struct BlinkCounter : QObject {
    int blinks = 0;
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Timer &&
            qstrcmp(watched->metaObject()->className(), "QWidgetLineControl") == 0)
            ++blinks;
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

void processEventsFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(FocusHolder, TakesTheFocusWithoutAnyCaretWork) {
    AppFixture fx;
    frmCD& f = fx.load();
    f.show();
    f.activateWindow();
    f.cboSetFocus->setFocus();
    processEventsFor(100);
    ASSERT_TRUE(f.cboSetFocus->hasFocus() || f.cboSetFocus->lineEdit()->hasFocus());

    BlinkCounter counter;
    qApp->installEventFilter(&counter);
    // A caret blinks every half second.
    processEventsFor(1300);
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.blinks, 0);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(f.cboSetFocus->text(), "Combo1");

    // The drive box, once chosen from, hands the focus back to it.
    f.cboCDDrive->setFocus();
    f.cboSetFocus->setFocus();
    EXPECT_TRUE(f.cboSetFocus->lineEdit()->hasFocus());
}
