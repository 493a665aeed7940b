#include "skins/dirlistbox.h"

#include "app/vberror.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyle>

namespace vornap {

namespace {
constexpr int kPathRole = Qt::UserRole;

QString displayName(const QDir& dir) {
    return dir.isRoot() ? QDir::toNativeSeparators(dir.absolutePath()) : dir.dirName();
}
} // namespace

DirListBox::DirListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(14);
    setUniformRowHeights(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { open(item); });
}

void DirListBox::setPath(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir())
        throw errors::pathNotFound();
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = clean != m_path;
    m_path = clean;
    fill();
    if (changed)
        emit change();
}

QTreeWidgetItem* DirListBox::entryFor(const QString& path) const {
    const QString wanted = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (QTreeWidgetItemIterator it(const_cast<DirListBox*>(this)); *it; ++it) {
        if ((*it)->data(0, kPathRole).toString() == wanted)
            return *it;
    }
    return nullptr;
}

void DirListBox::fill() {
    clear();
    QList<QDir> chain;
    for (QDir dir(m_path);;) {
        chain.prepend(dir);
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem* parent = nullptr;
    for (const QDir& dir : chain) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, displayName(dir));
        item->setIcon(0, openIcon);
        item->setData(0, kPathRole, QDir::cleanPath(dir.absolutePath()));
        parent = item;
    }
    const QDir current(m_path);
    const QStringList subdirs =
        current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subdirs) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, name);
        item->setIcon(0, closedIcon);
        item->setData(0, kPathRole, QDir::cleanPath(current.absoluteFilePath(name)));
    }
    expandAll();
    setCurrentItem(parent);
    scrollToItem(parent);
}

void DirListBox::open(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString target = item->data(0, kPathRole).toString();
    // A directory removed since the list was filled: show what is there now.
    if (!QFileInfo(target).isDir()) {
        fill();
        return;
    }
    setPath(target);
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    // Return opens the highlighted directory here rather than pressing the
    // dialog's default button with a directory that was never opened.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        open(currentItem());
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

} // namespace vornap
