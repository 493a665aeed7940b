#pragma once

#include <QIcon>
#include <QImage>

namespace vornap {

// The program's icon resources: 1 (the program), 101 (32x32, 16 colours),
// 102 (16x16, 16 colours), 103-105 (16x16, 256 colours), 106 (32x32, 256
// colours). Any other number is an "Invalid picture" failure.
QIcon LoadResPicture(int number);
QImage iconImage(int number);
// Icon resource 1's picture drawn at any size (the desktop's icon theme).
QImage programIconImage(int size);
bool isIconResource(int number);
// The icon an "//IconNum" option names: its number when an icon resource has
// it, else 102, the first the preferences offer. A number typed into the
// options file must not keep the tray icon, or the player, from starting.
int TrayIconNumber(const QString& iconNum);

} // namespace vornap
