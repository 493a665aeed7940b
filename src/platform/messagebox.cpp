#include "platform/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace vornap::platform {

void QtMessageBox::show(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, QString(), QMessageBox::Ok, owner);
    // Texts from discs and servers must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    // The system's boxes separate lines with a bare carriage return.
    QString shown = text;
    shown.replace('\r', '\n');
    box.setText(shown);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
}

} // namespace vornap::platform
