#!/usr/bin/env bash
# Writes a frame of the golden run as it was recorded: builds the whole-game tests of the
# commit that last changed the golden record (in a scratch worktree under build/) and
# replays the ring to that frame. The frame as drawn now is written by the failing test.
#   tools/golden_expected.sh 345    ->  build/golden/frame-345-expected.png
set -euo pipefail
cd "$(dirname "$0")/.."
frame="${1:?usage: tools/golden_expected.sh FRAME}"
commit="$(git log -1 --format=%H -- tests/whole_game/golden/ring.txt)"
work="$PWD/build/golden-recorded"
git worktree remove --force "$work" 2>/dev/null || rm -rf "$work"
git worktree add --detach "$work" "$commit" >/dev/null
trap 'git worktree remove --force "$work"' EXIT
cmake -S "$work" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON >/dev/null
cmake --build "$work/build" --target test_whole_game
LB_GOLDEN_SHOW="$frame" "$work/build/tests/test_whole_game" --gtest_filter='Golden.*' >/dev/null
mkdir -p build/golden
cp "$work/build/golden/frame-$frame.png" "build/golden/frame-$frame-expected.png"
echo "build/golden/frame-$frame-expected.png (recorded at ${commit:0:10})"
