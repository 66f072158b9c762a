#!/usr/bin/env bash
# Builds the browser version into build-web/site/: index.html and page.js, the game's
# lantern-blade.js and .wasm, and lantern-blade.data: the shipped data, with each piece
# of music rendered by the game's own music engine (tools/render_music, built for this
# machine) and compressed to Ogg Vorbis in place of its MIDI file. A rendered piece ends
# where the engine ends it, so the browser restarts it without a gap. Everything comes
# from Debian's packages; nothing is downloaded.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/setup_machine.sh --web
jobs="$(nproc)"

# The renderer: LB_RENDER_MUSIC when given (test.sh passes the one its ordinary build just
# made), else a host build of its own (only the music engine is compiled).
renderer="${LB_RENDER_MUSIC:-}"
if [ -z "$renderer" ]; then
  nice cmake -S . -B build-web/host -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF >/dev/null
  nice cmake --build build-web/host --target render_music -j "$jobs"
  renderer=build-web/host/render_music
fi

data=build-web/data
rendered=build-web/music
rm -rf "$data"
mkdir -p "$data" "$rendered"
cp -r data/. "$data"/
rm -f "$data"/*.mid
# Rendering takes a while, so the pieces render side by side, and a piece whose file has
# not changed is kept.
renders=()
for midi in data/*.mid; do
  piece="$(basename "$midi" .mid)"
  if [ ! -f "$rendered/$piece.ogg" ] || [ "$midi" -nt "$rendered/$piece.ogg" ]; then
    ("$renderer" "$midi" "$rendered/$piece.wav" &&
      oggenc --quiet --quality 0 --output "$rendered/$piece.ogg" "$rendered/$piece.wav" &&
      rm "$rendered/$piece.wav") &
    renders+=("$!")
  fi
done
for render in "${renders[@]}"; do
  wait "$render"
done
for midi in data/*.mid; do
  cp "$rendered/$(basename "$midi" .mid).ogg" "$data/"
done

# Debian's emscripten finds its Node modules only there.
export NODE_PATH=/usr/share/nodejs
nice emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF \
  -DLB_WEB_DATA="$PWD/$data" >/dev/null
nice cmake --build build-web -j "$jobs"
cp tools/web/index.html tools/web/page.js build-web/site/
echo "build-web/site: $(du -sh build-web/site | cut -f1)"
