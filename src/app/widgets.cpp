#include "app/widgets.h"

#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

namespace vornap {

void showModal(QDialog* dialog) {
    const QPointer<QDialog> open(dialog);
    dialog->exec();
    if (open)
        open->deleteLater();
}

PlainLabel::PlainLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(caption);
}

void PlainLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

ImageBox::ImageBox(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setScaledContents(false);
}

void ImageBox::setPicture(const QPixmap& picture) {
    m_picture = picture;
    setPixmap(picture);
    if (!picture.isNull())
        resize(picture.size());
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    emit mouseDown();
    event->accept();
}

void ImageBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    emit mouseUp();
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

LockableComboBox::LockableComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void LockableComboBox::setLocked(bool locked) {
    m_locked = locked;
    lineEdit()->setReadOnly(locked);
}

void LockableComboBox::showPopup() {
    emit dropDown();
    QComboBox::showPopup();
}

} // namespace vornap
