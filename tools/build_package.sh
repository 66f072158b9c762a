#!/usr/bin/env bash
# Builds the two Debian packages (lantern-blade and lantern-blade-data) in their own folder
# (build-package/ unless one is given), with the compiler and linker flags Debian uses for
# a package, and checks them with lintian when it is installed: any error or warning, or a
# missing hardening flag, fails the build.
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-build-package}"
tools/setup_machine.sh --package

# The same sources give the same bytes: every time stamp is the release's (the newest
# changelog entry's), and neither the source folder's path nor the build folder's reaches
# the binary (debug information, its build id).
SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l dist/changelog -S Timestamp)"
export SOURCE_DATE_EPOCH
mkdir -p "$folder"
build_path="$(cd "$folder" && pwd)"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cxxflags+=" -ffile-prefix-map=$PWD=. -ffile-prefix-map=$build_path=build"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=None -DLB_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
cmake --build "$folder" --target lantern-blade lb_gzipped_docs
# The compilers' names, which Debian's own strip removes too (CPack strips the rest).
objcopy --remove-section=.comment "$folder/lantern-blade"
(cd "$folder" && cpack -G DEB)

if command -v lintian >/dev/null; then
  lintian --info --fail-on info \
    --tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-pie,hardening-no-relro \
    "$folder"/lantern-blade_*.deb
  lintian --info --fail-on error,warning "$folder"/lantern-blade_*.deb "$folder"/lantern-blade-data_*.deb
fi
ls "$folder"/lantern-blade*.deb
