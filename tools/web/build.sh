#!/usr/bin/env bash
# Builds the browser version into build-web/site/ (tools/web/publish.py puts it together):
# the page, the game's lantern-blade.js and .wasm, and lantern-blade.data: the shipped
# data, with each piece of music rendered by the game's own music engine
# (tools/render_music, built for this machine) with one pinned soundfont, levelled, and
# compressed to Ogg Vorbis in place of its MIDI file. A rendered piece ends where the
# engine ends it, so the browser restarts it without a gap. Everything comes from
# Debian's packages; nothing is downloaded.
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

# Every build host renders with the same soundfont, whose licence lets the site carry it.
export LANTERN_BLADE_SOUNDFONT=/usr/share/sounds/sf3/MuseScore_General_Lite.sf3
if [ ! -f "$LANTERN_BLADE_SOUNDFONT" ]; then
  echo "build.sh: $LANTERN_BLADE_SOUNDFONT is missing (apt-get install musescore-general-soundfont-small)" >&2
  exit 1
fi

data=build-web/data
rendered=build-web/music
# Pieces rendered another way (another soundfont, another level) are rendered again.
recipe="$LANTERN_BLADE_SOUNDFONT $(sha256sum tools/web/level_music.py | cut -c1-64)"
if [ "$(cat "$rendered/recipe" 2>/dev/null)" != "$recipe" ]; then
  rm -rf "$rendered"
fi
rm -rf "$data"
mkdir -p "$data" "$rendered"
echo "$recipe" > "$rendered/recipe"
cp -r data/. "$data"/
rm -f "$data"/*.mid
# Rendering takes a while, so the pieces render side by side, and a piece whose file has
# not changed is kept.
renders=()
for midi in data/*.mid; do
  piece="$(basename "$midi" .mid)"
  if [ ! -f "$rendered/$piece.ogg" ] || [ "$midi" -nt "$rendered/$piece.ogg" ]; then
    ("$renderer" "$midi" "$rendered/$piece.raw.wav" &&
      /usr/bin/python3 tools/web/level_music.py "$rendered/$piece.raw.wav" "$rendered/$piece.wav" &&
      oggenc --quiet --quality 0 --serial 1 --output "$rendered/$piece.ogg" "$rendered/$piece.wav" &&
      rm "$rendered/$piece.raw.wav" "$rendered/$piece.wav") &
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
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
nice emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DLB_TESTS=OFF \
  "${launcher[@]}" -DLB_WEB_DATA="$PWD/$data" >/dev/null
nice cmake --build build-web -j "$jobs"
/usr/bin/python3 tools/web/publish.py build-web/game build-web/site
echo "build-web/site: $(du -sh --exclude='*.gz' build-web/site | cut -f1), gzipped twins $(du -ch build-web/site/*.gz | tail -1 | cut -f1)"
