#pragma once

#include <QTreeWidget>

namespace vornap {

// A directory list box: the chain of directories from the root down to the
// current path, each open, and the current path's subdirectories below it.
// Clicking an entry only highlights it; double-clicking it (or Return) opens
// it and makes it the current path.
class DirListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // A path that is not a directory is "Path not found".
    void setPath(const QString& path);

    // The entry that shows a directory, or null.
    QTreeWidgetItem* entryFor(const QString& path) const;

signals:
    void change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill();
    void open(QTreeWidgetItem* item);

    QString m_path;
};

} // namespace vornap
