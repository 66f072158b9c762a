# The browser build (emcmake): the game linked with the WebAssembly backend into a .js
# and .wasm, the data packed in a .data file, in game/; tools/web/build.sh runs it and
# puts the site together from them (tools/web/publish.py). No eval or Function() in the
# runtime, so the site runs under a strict Content-Security-Policy.
file(GLOB LB_WEB_SOURCES CONFIGURE_DEPENDS platform/web/*.cpp)
file(GLOB LB_WEB_LIBRARIES CONFIGURE_DEPENDS platform/web/library_*.js)
add_library(lb_web STATIC ${LB_WEB_SOURCES})
target_include_directories(lb_web PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(lb_web PUBLIC lb_policy)

set(LB_WEB_DATA "" CACHE PATH "The data folder packed into the site (the shipped data/ and the rendered music)")
add_executable(lantern-blade app/entry_web.cpp)
target_link_libraries(lantern-blade PRIVATE lb_core lb_web)
set(LB_WEB_LINK_OPTIONS
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 "-sASYNCIFY_IMPORTS=['lbLockFile','lbKeepFile']" -sALLOW_MEMORY_GROWTH -sINITIAL_MEMORY=33554432
  -sENVIRONMENT=web -sEXIT_RUNTIME -sDYNAMIC_EXECUTION=0 -sEXPORTED_RUNTIME_METHODS=ccall,FS,callMain "--preload-file=${LB_WEB_DATA}@/")
foreach(library ${LB_WEB_LIBRARIES})
  list(APPEND LB_WEB_LINK_OPTIONS "--js-library=${library}")
endforeach()
target_link_options(lantern-blade PRIVATE ${LB_WEB_LINK_OPTIONS})
set_target_properties(lantern-blade PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/game
  LINK_DEPENDS "${LB_WEB_LIBRARIES}")
