#pragma once

#include <QIcon>
#include <QImage>

namespace vornap {

// The program's icon resources: 1 (the program), 101 (32x32, 16 colours),
// 102 (16x16, 16 colours), 103-105 (16x16, 256 colours), 106 (32x32, 256
// colours). Any other number is an "Invalid picture" failure.
QIcon LoadResPicture(int number);
QImage iconImage(int number);
bool isIconResource(int number);

} // namespace vornap
