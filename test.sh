#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the suite; the browser version built
# and played in headless Chromium; the suite again built with AddressSanitizer and
# UndefinedBehaviorSanitizer; each fuzz target (clang, libFuzzer, also sanitized) for a
# fixed number of runs from its kept corpus; and the Debian packages built as a release
# is, checked by lintian (beside the browser build). Each stage's time is printed as it
# ends and again at the end.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup_machine.sh --tests --web
jobs="$(nproc)"

timings=""
stage_start=$SECONDS
stage_done() {
  timings+="$(printf '%-24s %4d s' "$1" $((SECONDS - stage_start)))"$'\n'
  echo "== $1: $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON
cmake --build build
stage_done "build"
ctest --test-dir build --output-on-failure -j "$jobs"
stage_done "suite"

# The Debian packages build beside the browser build, whose long link leaves a core idle;
# their output goes to a log, shown at the end (whole if they fail).
mkdir -p build-package
tools/build_package.sh build-package > build-package/build.log 2>&1 &
package_build=$!
# The browser's golden run replays the key script the suite's golden test just wrote,
# and the desktop game just built checks the demo a clear in the browser keeps.
LB_RENDER_MUSIC=build/render_music tools/web/build.sh
if ! wait "$package_build"; then
  cat build-package/build.log
  exit 1
fi
tail -n 2 build-package/build.log
stage_done "browser build, package"
/usr/bin/python3 tests/web/web_test.py
/usr/bin/python3 tests/web/ranking_page_test.py
stage_done "browser tests"

# One sanitized tree, built by clang, serves both the suite and the libFuzzer targets, so
# the game is compiled once with the sanitizers (the coverage hooks libFuzzer needs change
# no behaviour). -O1 with line tables only is AddressSanitizer's own advice: it builds
# several times faster than -O2 -g, and a report still names file and line.
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON -DLB_SANITIZE=ON \
  -DLB_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG"
cmake --build build-sanitize
stage_done "sanitized build"
# The system's desktop libraries under the game binary keep a few blocks until exit, and
# without a runtime folder the Wayland client library complains on stderr. Libraries
# loaded at run time stay loaded until exit (dlclose does nothing): Mesa's software
# OpenGL, which SDL loads when asked for an OpenGL renderer and then gives up, keeps
# blocks that, once it is unloaded, read as leaks of an unknown module that no
# suppression can name. The list and the library live in /tmp, readable by all, since
# some tests run the game as another user and the checkout may sit in a folder only its
# owner can enter.
suppressions="$(mktemp)"
runtime_dir="$(mktemp -d)"
keep_loaded="$(mktemp -d)"
trap 'rm -rf "$runtime_dir" "$suppressions" "$keep_loaded"' EXIT
cat > "$suppressions" <<'SUPPRESSIONS'
leak:libdbus-1.so
leak:libSDL2
SUPPRESSIONS
chmod 644 "$suppressions"
echo 'int dlclose(void *library) { (void)library; return 0; }' | clang -shared -fPIC -x c -o "$keep_loaded/keep_loaded.so" -
chmod 755 "$keep_loaded"
XDG_RUNTIME_DIR="$runtime_dir" ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LD_PRELOAD="$keep_loaded/keep_loaded.so" \
  LSAN_OPTIONS="suppressions=$suppressions:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
stage_done "sanitized suite"

# Runs per target: the stage and demo targets play frames for every input and are the slowest.
# The targets run side by side, each into its own log, shown whole if it fails.
# The fuzzers work on a copy, so new inputs they find do not land in the repository; a
# crash leaves its input in build-sanitize/ (keep it in tests/fuzz/corpus/<target>/ once fixed).
fuzzers=()
for target_runs in bitmap:20000 mci:20000 midi:50000 numbers:4000 demo:4000 server_request:50000; do
  target="${target_runs%%:*}"
  runs="${target_runs##*:}"
  work="$PWD/build-sanitize/corpus-work/$target"
  rm -rf "$work"
  mkdir -p "$work"
  cp tests/fuzz/corpus/"$target"/* "$work"/
  build-sanitize/tests/fuzz/fuzz_"$target" -runs="$runs" -seed=1 -print_final_stats=1 \
    -artifact_prefix="$PWD/build-sanitize/" "$work" > "build-sanitize/fuzz_$target.log" 2>&1 &
  fuzzers+=("$!:$target")
done
fuzz_failed=""
for pid_target in "${fuzzers[@]}"; do
  target="${pid_target#*:}"
  if wait "${pid_target%%:*}"; then
    echo "fuzz_$target: $(grep -m1 '^stat::number_of_executed_units' "build-sanitize/fuzz_$target.log")"
  else
    cat "build-sanitize/fuzz_$target.log"
    fuzz_failed+=" fuzz_$target"
  fi
done
if [ -n "$fuzz_failed" ]; then
  echo "failed:$fuzz_failed"
  exit 1
fi
stage_done "fuzz runs"

printf '\n%s' "$timings"
