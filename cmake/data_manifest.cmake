# Writes the manifest of the shipped data files, one line each, sorted by path:
#   <size in bytes> <SHA-256> <path under data/>
# The launcher checks a player's copy against it. The score files are left out: what a
# player's copy holds there is the player's, never replaced.
#   cmake -DDATA=<data folder> -DOUTPUT=<manifest> -P data_manifest.cmake
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${DATA}" "${DATA}/*")
list(SORT files)
set(text "")
foreach(path IN LISTS files)
  if(path MATCHES "^txt/Ranking/")
    continue()
  endif()
  file(SIZE "${DATA}/${path}" size)
  file(SHA256 "${DATA}/${path}" hash)
  string(APPEND text "${size} ${hash} ${path}\n")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
