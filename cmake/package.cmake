# The two Debian packages made from the install (`cpack -G DEB` in the build folder):
# lantern-blade, the game and its desktop files, and lantern-blade-data, the data tree
# shared by every architecture. tools/build_package.sh builds them with Debian's
# hardening flags.
set(CPACK_PACKAGE_NAME lantern-blade)
set(CPACK_PACKAGE_VENDOR "Lantern Blade developers")
set(CPACK_PACKAGE_CONTACT "Lantern Blade developers <lantern-blade@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game data)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME lantern-blade)
# The libraries come from the binary itself; without a soundfont the game plays silent.
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "lantern-blade-data (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS "timgm6mb-soundfont | sf2-soundfont-gm")
set(CPACK_DEBIAN_GAME_DESCRIPTION "top-down action game with a sword and a lantern
A hero with a sword and a lantern walks a dark tile map while enemies
wander; five kills clear the stage, and the play time becomes a score in a
five-entry ranking. Plays with the keyboard or a game controller,
fullscreen or in a window.")

set(CPACK_DEBIAN_DATA_PACKAGE_NAME lantern-blade-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_DESCRIPTION "data for the Lantern Blade action game
The pictures, music, sounds and stage of Lantern Blade, a top-down action
game with a sword and a lantern, shared by every architecture.")
include(CPack)
