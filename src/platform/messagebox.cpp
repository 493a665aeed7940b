#include "platform/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace vornap::platform {

void QtMessageBox::show(QWidget* owner, const QString& text, const QString& caption) {
    // On the heap: an owner deleted while the box is up takes the box with it.
    const QPointer<QMessageBox> box =
        new QMessageBox(QMessageBox::NoIcon, caption, QString(), QMessageBox::Ok, owner);
    // Texts from discs and servers must never be read as markup.
    box->setTextFormat(Qt::PlainText);
    // The system's boxes separate lines with a bare carriage return.
    QString shown = text;
    shown.replace('\r', '\n');
    box->setText(shown);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box->exec();
    QApplication::restoreOverrideCursor();
    delete box.data();
}

} // namespace vornap::platform
