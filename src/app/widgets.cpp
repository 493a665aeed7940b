#include "app/widgets.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>

namespace vornap {

void showModal(QDialog* dialog) {
    const QPointer<QDialog> open(dialog);
    dialog->exec();
    if (open)
        open->deleteLater();
}

QString oneLine(QString text) {
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == u'\v' || c == u'\f' ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
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
    // A chosen entry lands with the caret at its end, which would scroll a
    // long title to its last words.
    connect(this, &QComboBox::currentIndexChanged, this,
            [this] { lineEdit()->setCursorPosition(0); });
    lineEdit()->installEventFilter(this);
}

void LockableComboBox::setText(const QString& text) {
    const QString shown = oneLine(text);
    // Else the open list marks, and the wheel steps from, an entry the box
    // no longer shows.
    const int entry = m_entryOf ? m_entryOf(shown) : findText(shown, Qt::MatchExactly);
    if (entry >= 0 && entry < count() && entry != currentIndex())
        setCurrentIndex(entry);
    setEditText(shown);
    lineEdit()->setCursorPosition(0);
}

void LockableComboBox::setLocked(bool locked) {
    m_locked = locked;
    lineEdit()->setReadOnly(locked);
}

void LockableComboBox::wheelEvent(QWheelEvent* event) {
    if (m_locked) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void LockableComboBox::keyPressEvent(QKeyEvent* event) {
    if (m_locked) {
        // The keys that step through the entries or confirm the text; F4 and
        // Alt+Down still open the list.
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (event->modifiers() & Qt::AltModifier)
                break;
            [[fallthrough]];
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->ignore();
            return;
        default:
            break;
        }
    }
    QComboBox::keyPressEvent(event);
}

bool LockableComboBox::eventFilter(QObject* watched, QEvent* event) {
    QLineEdit* edit = lineEdit();
    if (watched != edit || event->type() != QEvent::Paint || edit->hasFocus())
        return QComboBox::eventFilter(watched, event);
    // The text area as the line edit lays it out (two pixels in from its sides).
    const QRect area =
        edit->contentsRect().marginsRemoved(edit->textMargins()).adjusted(2, 0, -2, 0);
    const QFontMetrics metrics = edit->fontMetrics();
    if (metrics.horizontalAdvance(edit->text()) <= area.width())
        return QComboBox::eventFilter(watched, event);
    QPainter painter(edit);
    const QPalette& palette = edit->palette();
    const auto group = edit->isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.fillRect(edit->rect(), palette.brush(group, QPalette::Base));
    painter.setPen(palette.color(group, QPalette::Text));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(edit->text(), Qt::ElideRight, area.width()));
    return true;
}

void LockableComboBox::showPopup() {
    emit dropDown();
    QComboBox::showPopup();
}

} // namespace vornap
