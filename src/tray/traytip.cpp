#include "tray/traytip.h"

#include "app/widgets.h"

#include <algorithm>

namespace vornap {

void SetTrayTip(platform::NotifyIconData& nid, const QString& text) {
    const QByteArray bytes = oneLine(text).toLocal8Bit();
    nid.szTip.fill(' ');
    std::copy_n(bytes.constData(), std::min<qsizetype>(bytes.size(), qsizetype(nid.szTip.size())),
                nid.szTip.begin());
}

} // namespace vornap
