#!/usr/bin/env bash
# Installs the Debian packages that building and playing need (as root, or through sudo);
# with `--package` also what building and checking the Debian packages needs, with
# `--tests` that and what the tests need, with `--server` what the world ranking server
# needs, and with `--web` what the browser version needs to build (and its tests to run). Skips the download when everything is already there.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config git
  libsdl2-dev libsdl2-mixer-dev libfluidsynth-dev libflac-dev libx11-dev libpng-dev zlib1g-dev timgm6mb-soundfont
  libcpp-httplib-dev
)
for option in "$@"; do
  case "$option" in
    --tests)
      PACKAGES+=(
        libgtest-dev libbenchmark-dev
        xvfb xauth xdotool imagemagick
        clang libclang-rt-14-dev
        appstream desktop-file-utils
        dpkg-dev file lintian
        libcpp-httplib-dev libsqlite3-dev libpqxx-dev libssl-dev bubblewrap postgresql
      ) ;;
    --server) PACKAGES+=(libcpp-httplib-dev libsqlite3-dev libpqxx-dev libssl-dev bubblewrap) ;;
    --package) PACKAGES+=(dpkg-dev file lintian) ;;
    --web) PACKAGES+=(emscripten vorbis-tools chromium python3-websocket musescore-general-soundfont-small) ;;
  esac
done

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
