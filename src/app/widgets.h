#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPixmap>
#include <functional>

class QDialog;

namespace vornap {

// Shows a dialog modally and unloads it once closed. A dialog that deletes
// itself on close is already gone when exec() returns, and the main window's
// unload may have deleted one meanwhile: neither is touched again.
void showModal(QDialog* dialog);

// A text for a place that shows one line: line breaks and tabs (which disc
// titles may hold) become blanks.
QString oneLine(QString text);

// A label that shows its caption as plain text on one line only: disc titles
// come from the network and must never be read as markup.
class PlainLabel : public QLabel {
    Q_OBJECT
public:
    explicit PlainLabel(const QString& caption = {}, QWidget* parent = nullptr);
    void setText(const QString& text) { QLabel::setText(oneLine(text)); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// An image control: shows a picture at its own size and reports mouse down,
// mouse up and click (the click comes after the mouse up).
class ImageBox : public QLabel {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent = nullptr);
    void setPicture(const QPixmap& picture); // the control takes the picture's size
    const QPixmap& picture() const { return m_picture; }

signals:
    void mouseDown();
    void mouseUp();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
    bool m_pressed = false;
};

// A combo box with an editable text and the Locked property: while locked,
// neither typing, nor the wheel, nor the arrow keys change it; only its
// drop-down list offers a choice.
class LockableComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit LockableComboBox(QWidget* parent = nullptr);
    bool locked() const { return m_locked; }
    void setLocked(bool locked);
    // The edit text (the Text property), which need not be one of the entries.
    QString text() const { return currentText(); }
    // Shown from its start when it is wider than the box, on one line. The
    // list's current entry follows the entry the text stands for.
    void setText(const QString& text);
    void addItem(const QString& text) { QComboBox::addItem(oneLine(text)); }
    // Which entry a text stands for, -1 for none; without it, the entry of
    // the same text.
    void setEntryOf(std::function<int(const QString& text)> entryOf) {
        m_entryOf = std::move(entryOf);
    }

signals:
    void dropDown();

public:
    void showPopup() override;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Draws a text wider than the box with an ellipsis while nobody edits it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_locked = false;
    std::function<int(const QString&)> m_entryOf;
};

} // namespace vornap
