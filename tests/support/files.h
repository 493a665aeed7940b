#pragma once

#include "app/vberror.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

namespace vornap::test {

// The run-time error number a call raises; 0 when it raises none.
inline int errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    f.write(bytes);
}

// The eleven values of an options file, in the order the player keeps them.
struct OptionsValues {
    QString drives{};
    QString drive{};
    QString playOnStart = QStringLiteral("0");
    QString skinDir{};
    QString useCDDB = QStringLiteral("0");
    QString cddbOnStart = QStringLiteral("0");
    QString server{};
    QString email{};
    QString timer = QStringLiteral("1");
    QString trayOnly = QStringLiteral("0");
    QString iconNum = QStringLiteral("102");
};

// <appPath>/VornapOptions.dat as the options writer lays it out.
inline void writeOptionsFile(const QString& appPath, const OptionsValues& o) {
    const QString values[] = {o.drives,  o.drive,       o.playOnStart, o.skinDir,
                              o.useCDDB, o.cddbOnStart, o.server,      o.email,
                              o.timer,   o.trayOnly,    o.iconNum};
    const QStringList comments =
        QStringLiteral(
            "CD-ROM Drives in Computer|CD-ROM Drive to Use|Play On Startup|Skin Directory|Use CDDB|"
            "Activate CDDB on Startup|CDDB Server|Email Address for CDDB|"
            "Timer Setting (0=Bwd 1=Fwd)|System Tray Only|IconNum")
            .split(u'|');
    QStringList fields;
    for (int i = 0; i < 11; ++i)
        fields << "\"//" + comments[i] + '"' << u'"' + values[i] + u'"';
    writeFile(appPath + QStringLiteral("/VornapOptions.dat"),
              (fields.join(u',') + QStringLiteral("\r\n")).toLocal8Bit());
}

} // namespace vornap::test
