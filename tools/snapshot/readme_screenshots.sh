#!/usr/bin/env bash
# Makes the README's screenshots with the snapshot tool: one scripted run on the shipped
# data that clears the stage, sees the results, the ending, the title and the ranking,
# then starts again and pauses; and a contact sheet of the first seconds of play.
#   tools/snapshot/readme_screenshots.sh [build folder, default build] [output folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
out="${2:-docs/screenshots}"
cmake --build "$build" --target snapshot
mkdir -p "$out"
sheet="$(mktemp -d)"
trap 'rm -rf "$sheet"' EXIT

# Times in virtual milliseconds from the start; a frame is drawn every 20 ms. The play
# follows the route of the whole-run tests: right to the first pair of enemies, two
# swings, left and up to the second pair, two swings, down and right to the last one.
script="t=100 down Right; t=380 up Right;
t=380 down Z; t=400 up Z; t=680 down Z; t=700 up Z;
t=980 down Left; t=1700 up Left; t=1700 down Up; t=2100 up Up;
t=2100 down Z; t=2120 up Z; t=2400 down Z; t=2420 up Z;
t=2700 down Down; t=3460 up Down; t=3460 down Right; t=3660 up Right;
t=3660 down Z; t=3680 up Z; t=3960 down Z; t=3980 up Z;
t=11600 down Down; t=11640 up Down; t=11700 down Z; t=11740 up Z;
t=13600 down X; t=13640 up X;
t=13800 down Up; t=13840 up Up; t=13900 down Z; t=13940 up Z;
t=14000 down Right; t=14400 up Right; t=14500 down X; t=14520 up X"

shots=(--shot "1960:$out/play.png" --shot "7800:$out/results.png" --shot "9600:$out/ending.png"
       --shot "11500:$out/title.png" --shot "13500:$out/ranking.png" --shot "15000:$out/pause.png")
for i in $(seq 0 11); do
  shots+=(--shot "$((200 + i * 200)):$sheet/$(printf '%02d' "$i").png")
done
"$build/snapshot" --data data --script "$script" "${shots[@]}"
montage "$sheet"/*.png -tile 4x3 -geometry 320x240+2+2 -background black "PNG8:$out/play_sheet.png"
