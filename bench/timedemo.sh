#!/bin/sh
# The engine's benchmark: the game binary plays the golden run's kept demo with
# --timedemo (unpaced, no window, no sound) from a scratch copy of data/, RUNS times
# (default 5), and prints each run's frames per second and the median.
#
#   bench/timedemo.sh build
set -eu

if [ "$#" -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
repo=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$1" && pwd)/lantern-blade
[ -x "$exe" ] || { echo "$0: no game at $exe" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -R "$repo/data" "$scratch/data"
cd "$scratch/data"
for run in $(seq "${RUNS:-5}"); do
    "$exe" --timedemo "$repo/tests/whole_game/golden/ring.lbdemo" | sed -n 's/.*: \([0-9.]*\) frames per second$/\1/p'
done | sort -n | awk '{ fps[NR] = $1; print "run: " $1 " frames per second" }
    END { if (NR == 0) exit 1; print "median: " fps[int((NR + 1) / 2)] " frames per second" }'
