#!/usr/bin/env bash
# Sets everything up, builds, and starts the game from run/, a copy of data/ (playing
# never writes into the repository; your scores stay in run/txt/Ranking/).
# With --web it builds the browser version instead (tools/web/build.sh) and serves it
# through the world ranking server until Ctrl+C: the game at http://127.0.0.1:8000/play/,
# the ranking at http://127.0.0.1:8000/, its runs kept in run/world-ranking.db.
set -euo pipefail
cd "$(dirname "$0")"
web=""
if [ "${1:-}" = "--web" ]; then
  web=1
  tools/setup_machine.sh --server
  tools/web/build.sh
else
  tools/setup_machine.sh
fi
cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF
# Every core unless CMAKE_BUILD_PARALLEL_LEVEL says otherwise.
cmake --build build-play --target lantern-blade ${web:+lantern-blade-server} -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
if [ -n "$web" ]; then
  mkdir -p run
  echo "Lantern Blade: play at http://127.0.0.1:8000/play/, the world ranking at http://127.0.0.1:8000/ (Ctrl+C stops the server)"
  exec build-play/lantern-blade-server --listen 127.0.0.1:8000 --database sqlite:run/world-ranking.db \
    --site build-web/site --data data
fi
# Refresh the pictures, music and stage, but keep the scores already in run/.
mkdir -p run
scores=run/txt/Ranking/Ranking.txt
saved=""
if [ -f "$scores" ]; then saved=$(cat "$scores"); fi
cp -r data/. run/
if [ -n "$saved" ]; then printf '%s' "$saved" > "$scores"; fi
cd run
exec ../build-play/lantern-blade "$@"
