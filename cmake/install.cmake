# `cmake --install` layout under the prefix, in two parts (CPack components):
#   game: games/lantern-blade              the game; finds its data relative to itself
#         share/applications/lantern-blade.desktop, share/icons/hicolor/<N>x<N>/apps/,
#         share/metainfo/, share/man/man6/lantern-blade.6.gz, share/doc/lantern-blade/
#   data: share/games/lantern-blade/       the data tree, read in place, never written
#         share/doc/lantern-blade-data/
# Both directories are cache variables, so a packager can move them; the desktop files
# stay under the data root where desktops look for them. The copyright, changelog and
# lintian overrides are installed only component by component, as cpack installs: a
# plain install (a debian/ directory's build) leaves them to debhelper.
include(GNUInstallDirs)

set(LB_INSTALL_GAMESDIR games CACHE STRING "Folder of the game binary, under the prefix")
set(LB_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/lantern-blade
    CACHE STRING "Folder of the game data, under the prefix (or absolute)")

# The binary looks for its data at this path from its own folder, so the installed tree can
# be moved or installed under another prefix; an absolute data folder is used as it is.
if(IS_ABSOLUTE "${LB_INSTALL_DATA_DIR}")
  set(LB_DATA_FROM_BINARY "${LB_INSTALL_DATA_DIR}")
else()
  file(RELATIVE_PATH LB_DATA_FROM_BINARY "/prefix/${LB_INSTALL_GAMESDIR}" "/prefix/${LB_INSTALL_DATA_DIR}")
endif()
target_compile_definitions(lantern-blade PRIVATE LB_DATA_FROM_BINARY="${LB_DATA_FROM_BINARY}")

install(TARGETS lantern-blade RUNTIME DESTINATION ${LB_INSTALL_GAMESDIR} COMPONENT game)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${LB_INSTALL_DATA_DIR} COMPONENT data)
# lintian takes the game's text files for documentation; the overrides say why they are not.
if(IS_ABSOLUTE "${LB_INSTALL_DATA_DIR}")
  string(REGEX REPLACE "^/" "" LB_DATA_IN_PACKAGE "${LB_INSTALL_DATA_DIR}")
else()
  set(LB_DATA_IN_PACKAGE "usr/${LB_INSTALL_DATA_DIR}")
endif()
configure_file(${CMAKE_SOURCE_DIR}/dist/lantern-blade-data.lintian-overrides.in
               ${CMAKE_BINARY_DIR}/dist/lintian/lantern-blade-data @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/lintian/lantern-blade-data
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT data EXCLUDE_FROM_ALL)

install(FILES ${CMAKE_SOURCE_DIR}/dist/lantern-blade.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT game)

# The man page and the metainfo carry the version and the release date set in CMakeLists.txt.
configure_file(${CMAKE_SOURCE_DIR}/dist/io.github.lanternblade.LanternBlade.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/io.github.lanternblade.LanternBlade.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/io.github.lanternblade.LanternBlade.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
configure_file(${CMAKE_SOURCE_DIR}/dist/lantern-blade.6.in ${CMAKE_BINARY_DIR}/dist/lantern-blade.6 @ONLY)

# The changelog's newest entry must be this version: a release is described before it is made.
file(STRINGS ${CMAKE_SOURCE_DIR}/dist/changelog LB_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT LB_CHANGELOG_TOP MATCHES "^lantern-blade \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "dist/changelog does not begin with an entry for ${PROJECT_VERSION}")
endif()

# Compressed as Debian wants them: best compression, no name or time stamp inside.
set(LB_GZIPPED ${CMAKE_BINARY_DIR}/dist/lantern-blade.6.gz ${CMAKE_BINARY_DIR}/dist/changelog.gz)
add_custom_command(OUTPUT ${LB_GZIPPED}
                   COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/dist/lantern-blade.6 > ${CMAKE_BINARY_DIR}/dist/lantern-blade.6.gz
                   COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/dist/changelog > ${CMAKE_BINARY_DIR}/dist/changelog.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/dist/lantern-blade.6 ${CMAKE_SOURCE_DIR}/dist/changelog VERBATIM)
add_custom_target(lb_gzipped_docs ALL DEPENDS ${LB_GZIPPED})
install(FILES ${CMAKE_BINARY_DIR}/dist/lantern-blade.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
foreach(component_package game:lantern-blade data:lantern-blade-data)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# The install test packages this build with cpack (which runs the install rules), so the
# game and its compressed pages must be built first.
function(lb_install_test_needs_game)
  if(TARGET test_install)
    add_dependencies(test_install lantern-blade lb_gzipped_docs)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lb_install_test_needs_game)
