# Libraries the platform layer reaches through pkg-config.
pkg_check_modules(CDIO REQUIRED IMPORTED_TARGET libcdio libcdio_cdda libcdio_paranoia libiso9660)
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse)
pkg_check_modules(DISCID REQUIRED IMPORTED_TARGET libdiscid)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
target_link_libraries(vornap_core PUBLIC PkgConfig::CDIO PkgConfig::PULSE PkgConfig::DISCID)
# libcurl's headers only: the library is opened at the first transfer.
target_include_directories(vornap_core PUBLIC ${CURL_INCLUDE_DIRS})
find_package(Threads REQUIRED)
target_link_libraries(vornap_core PUBLIC Threads::Threads)
pkg_check_modules(XCB IMPORTED_TARGET xcb)
if(XCB_FOUND)
    target_link_libraries(vornap_core PUBLIC PkgConfig::XCB)
endif()
