#pragma once

#include "support/files.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

namespace vornap::test {

// Gives an application directory what a skinned dialog's load reads: an
// options file naming a small skin (a colour file and a background tile)
// in <dir>/Skins/Plain/, with the given e-mail address. Returns the skin
// directory as the options file holds it.
inline QString writeOptionsWithSkin(const QString& dir, const QString& email = QString()) {
    const QString skin = dir + QStringLiteral("/Skins/Plain/");
    QDir().mkpath(skin);
    writeFile(skin + QStringLiteral("Colors.txt"),
              "\"Back colour\"\r\n1193046\r\n\"Fore colour\"\r\n16777215\r\n");
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(QColor(40, 60, 80));
    tile.save(skin + QStringLiteral("Background.bmp"), "BMP");

    writeOptionsFile(dir, {.skinDir = skin, .useCDDB = QStringLiteral("1"), .email = email});
    return skin;
}

} // namespace vornap::test
