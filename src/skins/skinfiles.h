#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>

namespace vornap {

// The path of a skin file in a directory, matched without regard to case
// (the same file is named "Play_up.bmp" in one place and "Play_Up.bmp" in
// another). When no entry matches, the name as given, so that opening it
// fails the ordinary way.
QString skinFilePath(const QString& directory, const QString& name);

// LoadPicture: a missing file is "File not found", one that does not decode
// "Invalid picture".
QPixmap LoadPicture(const QString& path);

// The files a directory must hold to be offered as a skin.
const QStringList& requiredSkinFiles();

// Whether every required file exists as a file (names compared without regard
// to case). Every name is asked, whatever the answers before it.
bool hasRequiredSkinFiles(const QString& directory);

// Whether the skin can be applied without failing: the required files and
// "Background.bmp" are there, every bitmap decodes and "Colors.txt" gives two
// colours.
bool isUsableSkin(const QString& directory);

} // namespace vornap
