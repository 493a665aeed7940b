#pragma once

#include <QColor>
#include <QDir>
#include <QFile>
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
    QFile colors(skin + QStringLiteral("Colors.txt"));
    if (colors.open(QIODevice::WriteOnly))
        colors.write("\"Back colour\"\r\n1193046\r\n\"Fore colour\"\r\n16777215\r\n");
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(QColor(40, 60, 80));
    tile.save(skin + QStringLiteral("Background.bmp"), "BMP");

    QFile options(dir + QStringLiteral("/VornapOptions.dat"));
    if (options.open(QIODevice::WriteOnly))
        options.write(
            QStringLiteral("\"//CD-ROM Drives in Computer\",\"\",\"//CD-ROM Drive to Use\",\"\","
                           "\"//Play On Startup\",\"0\",\"//Skin Directory\",\"%1\","
                           "\"//Use CDDB\",\"1\",\"//Activate CDDB on Startup\",\"0\","
                           "\"//CDDB Server\",\"\",\"//Email Address for CDDB\",\"%2\","
                           "\"//Timer Setting (0=Bwd 1=Fwd)\",\"1\",\"//System Tray Only\",\"0\","
                           "\"//IconNum\",\"102\"\r\n")
                .arg(skin, email)
                .toLocal8Bit());
    return skin;
}

} // namespace vornap::test
