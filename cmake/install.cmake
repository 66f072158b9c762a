# `cmake --install` layout under the prefix (GNU directories):
#   bin/lantern-blade                   the launcher: makes a per-user copy of the data, then
#                                       starts the game in it
#   libexec/lantern-blade               the game; started directly it finds
#                                       ../share/lantern-blade/data by itself
#   share/lantern-blade/data/           the data tree, never written at run time
#   share/lantern-blade/manifest        size and hash of each shipped data file
#   share/applications/lantern-blade.desktop
# and what cmake/package.cmake adds: icons, AppStream metainfo, the man page.
include(GNUInstallDirs)

install(TARGETS lantern-blade RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/lantern-blade/data)
install(FILES ${CMAKE_SOURCE_DIR}/dist/lantern-blade.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The launcher finds the game and its data relative to itself, so the installed tree can
# be moved (or installed with a different --prefix) without breaking it.
function(lb_relative_to_bindir output target)
  set(from "${CMAKE_INSTALL_BINDIR}")
  if(NOT IS_ABSOLUTE "${from}")
    set(from "/prefix/${from}")
  endif()
  if(IS_ABSOLUTE "${target}")
    set(${output} "${target}" PARENT_SCOPE)
  elseif(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(${output} "${CMAKE_INSTALL_PREFIX}/${target}" PARENT_SCOPE)
  else()
    file(RELATIVE_PATH relative "${from}" "/prefix/${target}")
    set(${output} "$here/${relative}" PARENT_SCOPE)
  endif()
endfunction()
lb_relative_to_bindir(LB_LAUNCH_GAME "${CMAKE_INSTALL_LIBEXECDIR}/lantern-blade")
lb_relative_to_bindir(LB_LAUNCH_DATA "${CMAKE_INSTALL_DATADIR}/lantern-blade/data")
lb_relative_to_bindir(LB_LAUNCH_MANIFEST "${CMAKE_INSTALL_DATADIR}/lantern-blade/manifest")
configure_file(${CMAKE_SOURCE_DIR}/dist/lantern-blade.sh.in
               ${CMAKE_BINARY_DIR}/launcher/lantern-blade @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/lantern-blade DESTINATION ${CMAKE_INSTALL_BINDIR})

# The launcher repairs a player's copy of the data against this list of the shipped files.
file(GLOB_RECURSE LB_DATA_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/launcher/manifest
                   COMMAND ${CMAKE_COMMAND} -DDATA=${CMAKE_SOURCE_DIR}/data
                           -DOUTPUT=${CMAKE_BINARY_DIR}/launcher/manifest
                           -P ${CMAKE_SOURCE_DIR}/cmake/data_manifest.cmake
                   DEPENDS ${LB_DATA_FILES} ${CMAKE_SOURCE_DIR}/cmake/data_manifest.cmake)
add_custom_target(lb_data_manifest ALL DEPENDS ${CMAKE_BINARY_DIR}/launcher/manifest)
install(FILES ${CMAKE_BINARY_DIR}/launcher/manifest DESTINATION ${CMAKE_INSTALL_DATADIR}/lantern-blade)

# The install test packages this build with cpack (which runs the install rules), so the
# game must be built first.
function(lb_install_test_needs_game)
  if(TARGET test_install)
    add_dependencies(test_install lantern-blade man_page)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL lb_install_test_needs_game)
