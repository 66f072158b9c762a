#!/usr/bin/env bash
# Sets everything up, builds, and starts the game from run/, a copy of data/ (playing
# never writes into the repository; your scores stay in run/txt/Ranking/).
# With --web it builds the browser version instead (tools/web/build.sh) and serves it at
# http://127.0.0.1:8000/ until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--web" ]; then
  tools/web/build.sh
  echo "Lantern Blade: open http://127.0.0.1:8000/ (Ctrl+C stops the server)"
  exec /usr/bin/python3 -m http.server 8000 --bind 127.0.0.1 --directory build-web/site
fi
tools/setup_machine.sh
cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF
# Every core unless CMAKE_BUILD_PARALLEL_LEVEL says otherwise.
cmake --build build-play --target lantern-blade -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
# Refresh the pictures, music and stage, but keep the scores already in run/.
mkdir -p run
scores=run/txt/Ranking/Ranking.txt
saved=""
if [ -f "$scores" ]; then saved=$(cat "$scores"); fi
cp -r data/. run/
if [ -n "$saved" ]; then printf '%s' "$saved" > "$scores"; fi
cd run
exec ../build-play/lantern-blade "$@"
