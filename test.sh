#!/usr/bin/env bash
# Sets everything up, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup_machine.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLB_TESTS=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
