#!/usr/bin/env bash
# Sets everything up, builds, and starts the game from run/, a copy of data/ (playing
# never writes into the repository; your scores stay in run/txt/Ranking/).
set -euo pipefail
cd "$(dirname "$0")"
tools/setup_machine.sh
cmake -S . -B build-play -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF
cmake --build build-play --target lantern-blade
# Refresh the pictures, music and stage, but keep the scores already in run/.
mkdir -p run
scores=run/txt/Ranking/Ranking.txt
saved=""
if [ -f "$scores" ]; then saved=$(cat "$scores"); fi
cp -r data/. run/
if [ -n "$saved" ]; then printf '%s' "$saved" > "$scores"; fi
cd run
exec ../build-play/lantern-blade "$@"
