#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vornap::fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Qt's application object, made once per process; the palette and some
// file helpers want one. Offscreen, so no display is needed.
template <class App = QCoreApplication> void ensureApplication() {
    static std::unique_ptr<App> app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "vornap-fuzz";
        static char* argv[] = {name, nullptr};
        return std::make_unique<App>(argc, argv);
    }();
}

// A scratch directory in memory when there is one: the stores are written
// through QSaveFile, whose sync to disk would otherwise set the pace.
inline QString scratchTemplate() {
    return QDir(QStringLiteral("/dev/shm")).exists()
               ? QStringLiteral("/dev/shm/vornap-fuzz-XXXXXX")
               : QDir::tempPath() + QStringLiteral("/vornap-fuzz-XXXXXX");
}

} // namespace vornap::fuzz
