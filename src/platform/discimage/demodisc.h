#pragma once

#include "platform/discimage/discimage.h"

#include <QString>
#include <QStringList>

namespace vornap::platform::discimage {

// The demo disc: five short pieces synthesised here, a few minutes in all.
DiscSpec demoDisc();

inline const QString demoArtist = QStringLiteral("Vornap Ensemble");
inline const QString demoAlbum = QStringLiteral("Demo Disc");
QStringList demoTitles();

} // namespace vornap::platform::discimage
