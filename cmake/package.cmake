# The desktop's side of the installed game, and the Debian package made from the whole
# install (`cpack -G DEB` in the build folder):
#   share/icons/hicolor/<N>x<N>/apps/lantern-blade.png
#   share/metainfo/io.github.lanternblade.LanternBlade.metainfo.xml
#   share/man/man6/lantern-blade.6.gz
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/dist/io.github.lanternblade.LanternBlade.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(LB_MAN_PAGE ${CMAKE_BINARY_DIR}/lantern-blade.6.gz)
add_custom_command(OUTPUT ${LB_MAN_PAGE}
                   COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/dist/lantern-blade.6 > ${LB_MAN_PAGE}
                   DEPENDS ${CMAKE_SOURCE_DIR}/dist/lantern-blade.6 VERBATIM)
add_custom_target(man_page ALL DEPENDS ${LB_MAN_PAGE})
install(FILES ${LB_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_PACKAGE_NAME lantern-blade)
set(CPACK_PACKAGE_VENDOR "Lantern Blade developers")
set(CPACK_PACKAGE_CONTACT "Lantern Blade developers <lantern-blade@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "top-down action game with a sword and a lantern")
set(CPACK_PACKAGE_DESCRIPTION "A hero with a sword and a lantern walks a dark tile map; \
enemies wander; five kills clear the stage, and the play time becomes a score in a \
five-entry ranking. Keyboard or game controller, fullscreen or windowed.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the game links, as Debian 12 names them, and the soundfont it loads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1, libsdl2-2.0-0 (>= 2.26), libsdl2-mixer-2.0-0 (>= 2.6), libfluidsynth3 (>= 2.3), libpng16-16, zlib1g, libx11-6, timgm6mb-soundfont | sf2-soundfont-gm")
set(CPACK_GENERATOR DEB)
include(CPack)
