#include "platform/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace vornap::platform {

bool DesktopShell::shellExecute(QWidget*, const QString&, const QString& file, const QString&,
                                const QString&, int) {
    const QUrl url = QFileInfo::exists(file) ? QUrl::fromLocalFile(file) : QUrl(file);
    return QDesktopServices::openUrl(url);
}

bool DesktopHelpViewer::htmlHelp(QWidget*, const QString& helpFile, std::uint32_t, std::uintptr_t) {
    // A viewer started on a missing file fails where nobody sees it.
    return QFileInfo::exists(helpFile) && QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

} // namespace vornap::platform
