#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the suite; the suite again built with
# AddressSanitizer and UndefinedBehaviorSanitizer; each fuzz target (clang, libFuzzer,
# also sanitized) for a fixed number of runs from its kept corpus; and the Debian packages
# built as a release is, checked by lintian.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup_machine.sh --tests
jobs="$(nproc)"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON -DLB_SANITIZE=ON
cmake --build build-sanitize
# The system's desktop libraries under the game binary keep a few blocks until exit, and
# without a runtime folder the Wayland client library complains on stderr.
# The list lives in /tmp, readable by all, since some tests run the game as another user
# and the checkout may sit in a folder only its owner can enter.
suppressions="$(mktemp)"
runtime_dir="$(mktemp -d)"
trap 'rm -rf "$runtime_dir" "$suppressions"' EXIT
cat > "$suppressions" <<'SUPPRESSIONS'
leak:libdbus-1.so
leak:libSDL2
SUPPRESSIONS
chmod 644 "$suppressions"
XDG_RUNTIME_DIR="$runtime_dir" ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON -DLB_SANITIZE=ON \
  -DLB_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz --target fuzz_bitmap fuzz_numbers fuzz_mci fuzz_midi fuzz_demo
# Runs per target: the stage and demo targets play frames for every input and are the slowest.
# The fuzzers work on a copy, so new inputs they find do not land in the repository; a
# crash leaves its input in build-fuzz/ (keep it in tests/fuzz/corpus/<target>/ once fixed).
for target_runs in bitmap:20000 mci:20000 midi:50000 numbers:4000 demo:4000; do
  target="${target_runs%%:*}"
  runs="${target_runs##*:}"
  work="$PWD/build-fuzz/corpus-work/$target"
  rm -rf "$work"
  mkdir -p "$work"
  cp tests/fuzz/corpus/"$target"/* "$work"/
  echo "fuzz_$target: $runs runs"
  build-fuzz/tests/fuzz/fuzz_"$target" -runs="$runs" -seed=1 -print_final_stats=1 \
    -artifact_prefix="$PWD/build-fuzz/" "$work"
done

tools/build_package.sh build-package
