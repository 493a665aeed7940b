#pragma once

#include <QString>

namespace vornap::platform {

// The desktop's default handler for inserted audio CDs: the entry for
// x-content/audio-cdda under [Default Applications] in the user's
// mimeapps.list ($XDG_CONFIG_HOME, else ~/.config).
QString audioCdHandler();
// Sets the handler (a desktop file id such as "vornap.desktop"); an empty id
// removes the entry. False when the file could not be written.
bool setAudioCdHandler(const QString& desktopId);

} // namespace vornap::platform
