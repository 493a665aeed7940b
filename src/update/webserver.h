#pragma once

#include <QString>

namespace vornap {

// The maker's web server, without a trailing slash: $VORNAP_WEB_SERVER when
// set, else the compiled-in default. The default is a name reserved for
// documentation, so a check contacts nobody until the project has a home.
QString MakerWebServer();

// The address of a page on that server; `path` starts with a slash.
QString MakerWebPage(const QString& path);

} // namespace vornap
