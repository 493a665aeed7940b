#pragma once

#include <QString>

namespace vornap {

// The path of a skin file in a directory, matched without regard to case
// (the same file is named "Play_up.bmp" in one place and "Play_Up.bmp" in
// another). When no entry matches, the name as given, so that opening it
// fails the ordinary way.
QString skinFilePath(const QString& directory, const QString& name);

} // namespace vornap
