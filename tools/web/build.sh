#!/usr/bin/env bash
# Builds the browser version into build-web/site/: index.html and page.js, the game's
# lantern-blade.js and .wasm, and lantern-blade.data (the shipped data, with each piece
# of music as compressed audio in place of its MIDI file). Everything comes from
# Debian's packages; nothing is downloaded.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/setup_machine.sh --web
# Debian's emscripten finds its Node modules only there.
export NODE_PATH=/usr/share/nodejs

data=build-web/data
rm -rf "$data"
mkdir -p "$data"
cp -r data/. "$data"/
rm -f "$data"/*.mid

nice emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF \
  -DLB_WEB_DATA="$PWD/$data" >/dev/null
nice cmake --build build-web -j "$(nproc)"
cp tools/web/index.html tools/web/page.js build-web/site/
du -sh build-web/site
