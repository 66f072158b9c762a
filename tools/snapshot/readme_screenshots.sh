#!/usr/bin/env bash
# Makes the README's screenshots with the snapshot tool: one scripted run on the shipped
# data that clears the stage, sees the results, the ending, the title and the ranking
# (with the overlay: the new entry outlined and named), then starts again and pauses; a
# run that races the ghost of the same route kept as the best, with the overlay; a contact
# sheet of the first seconds of play; and the same run watching second place's run.
# Settings of its own: the overlay's defaults.
#   tools/snapshot/readme_screenshots.sh [build folder, default build] [output folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
out="${2:-docs/screenshots}"
cmake --build "$build" --target snapshot
mkdir -p "$out"
sheet="$(mktemp -d)"
trap 'rm -rf "$sheet"' EXIT
export XDG_CONFIG_HOME="$sheet/config"

# Times in virtual milliseconds from the start; a frame is drawn every 20 ms. The play
# follows the human-paced route of the whole-run tests: right to the first pair of enemies
# and a swing, down to the third and a swing, left to the last pair and a swing; the clear
# enters the ranking in first place.
script="t=230 down Right; t=430 up Right; t=650 down Z; t=740 up Z;
t=970 down Down; t=1170 up Down; t=1390 down Z; t=1480 up Z;
t=1710 down Left; t=2110 up Left; t=2330 down Z; t=2420 up Z;
t=9800 down Down; t=9840 up Down; t=9900 down Z; t=9940 up Z;
t=12500 down X; t=12540 up X;
t=12700 down Up; t=12740 up Up; t=12800 down Z; t=12840 up Z;
t=12900 down Right; t=13300 up Right; t=13400 down X; t=13420 up X"

shots=(--shot "800:$out/play.png" --shot "6500:$out/results.png" --shot "8100:$out/ending.png"
       --shot "9600:$out/title.png" --overlay-shot "12400:$out/ranking.png" --shot "13900:$out/pause.png")
for i in $(seq 0 11); do
  shots+=(--shot "$((200 + i * 200)):$sheet/$(printf '%02d' "$i").png")
done
"$build/snapshot" --data data --script "$script" "${shots[@]}"
montage "$sheet"/*.png -tile 4x3 -geometry 320x240+2+2 -background black "PNG8:$out/play_sheet.png"

# The ghost: the route's run kept as the player's best; this run walks down the rug while
# the ghost goes right and swings at the first pair.
best="$sheet/data"
cp -r data "$best"
mkdir -p "$best/txt/Ranking/demos"
cp tests/whole_game/golden/route.lbdemo "$best/txt/Ranking/demos/best.lbdemo"
printf '2561,' > "$best/txt/Ranking/Best.txt"
"$build/snapshot" --data "$best" --script "t=300 down Down; t=700 up Down" --overlay-shot "800:$out/ghost.png"

# A replay's caption: the same run to the ranking, where 2 watches second place's run.
replay="$(printf '%s\n' "$script" | sed -n '1,4p') t=12450 down 2; t=12490 up 2"
"$build/snapshot" --data data --script "$replay" --overlay-shot "14000:$out/replay.png"
