# The installed layout and the Debian package made from it. The program,
# which never writes under the prefix, finds its shipped data through
# VORNAP_SHIPPED_FROM_PROGRAM (set in src/) and keeps a per-user
# application path under the XDG data home.
set(VORNAP_SHARE_DESTINATION ${CMAKE_INSTALL_DATADIR}/vornap)

install(TARGETS vornap vornap-mci vornap-discgen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Only the skins the build draws, not whatever else sits in the build's folder.
install(DIRECTORY ${VORNAP_RUNTIME_DIR}/Skins/Base ${VORNAP_RUNTIME_DIR}/Skins/Walnut
    DESTINATION ${VORNAP_SHARE_DESTINATION}/Skins)
install(FILES ${VORNAP_RUNTIME_DIR}/Demo/Demo.cue ${VORNAP_RUNTIME_DIR}/Demo/Demo.bin
    DESTINATION ${VORNAP_SHARE_DESTINATION}/Demo)
install(DIRECTORY ${VORNAP_SHIPPED_CDDB_DIR}/ DESTINATION ${VORNAP_SHARE_DESTINATION}/CDDB)
install(FILES ${VORNAP_RUNTIME_DIR}/vornap_help.html DESTINATION ${VORNAP_SHARE_DESTINATION})

install(FILES ${VORNAP_DESKTOP_DIR}/vornap.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VORNAP_DESKTOP_DIR}/org.example.vornap.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${VORNAP_DESKTOP_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vornap)
install(FILES ${CMAKE_BINARY_DIR}/package/man/vornap.1.gz ${CMAKE_BINARY_DIR}/package/man/vornap-mci.1.gz
    ${CMAKE_BINARY_DIR}/package/man/vornap-discgen.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vornap)
set(CPACK_PACKAGE_VENDOR "Vornap")
set(CPACK_PACKAGE_CONTACT "Vornap developers <vornap@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "skinnable audio CD player")
# Lines of the package's long description, each shorter than 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "Vornap plays audio CDs from real drives and from disc images,
shows the track, the time and the disc's artist and album, looks discs up on
CDDB servers, lives in the notification area if asked and wears bitmap skins.
Desktop applets and media keys control it through MPRIS.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages, found by dpkg-shlibdeps from the program's links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Sound goes to a PulseAudio server (PipeWire's stands in); without one the
# player runs silently.
# Opened at run time, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.85) | libcurl3-gnutls (>= 7.85)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)
