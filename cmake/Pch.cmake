# Nearly every source includes the Qt Widgets headers, and parsing them took
# two of the three to four seconds a file cost to compile. Each list is
# compiled once per target that names it; targets with the same flags share
# one with vornap_reuse_pch().
set(VORNAP_PCH_HEADERS
    <QApplication> <QByteArray> <QCheckBox> <QComboBox> <QDialog> <QDir> <QFile>
    <QFileInfo> <QImage> <QLabel> <QLineEdit> <QLoggingCategory> <QMenu> <QPainter>
    <QPixmap> <QPushButton> <QRegularExpression> <QSaveFile> <QString> <QStringList>
    <QTimer> <QUrl> <QWidget>
    <algorithm> <chrono> <functional> <map> <memory> <optional> <string> <vector>)

function(vornap_precompile target)
    if(VORNAP_PCH)
        target_precompile_headers(${target} PRIVATE ${VORNAP_PCH_HEADERS} ${ARGN})
    endif()
endfunction()

# Uses the headers precompiled for `from`, which must have the same flags.
function(vornap_reuse_pch target from)
    if(VORNAP_PCH)
        target_precompile_headers(${target} REUSE_FROM ${from})
    endif()
endfunction()

# Programs over the core share its headers, unless the fuzzing build gives
# the core flags of its own.
function(vornap_reuse_core_pch target)
    if(NOT VORNAP_FUZZ)
        vornap_reuse_pch(${target} vornap_core)
    endif()
endfunction()

# ccache takes a file compiled over a precompiled header only with these
# sloppinesses; without them every such file is a cache miss.
if(VORNAP_PCH AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache$")
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()
