#!/usr/bin/env bash
# Installs what the build, the tests and the fuzzers (clang with its libFuzzer
# runtime) need (Debian 12, as root or with sudo)
# and builds into build/ (or build-sanitize/ with HEULMEISTER_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev portaudio19-dev libasound2-dev
          libjack-jackd2-dev libxcb1-dev libsndfile1-dev libsamplerate0-dev fonts-liberation2 fontconfig
          libfontconfig-dev
          xvfb xauth xdotool imagemagick x11-utils openbox dpkg-dev appstream
          desktop-file-utils qt6-translations-l10n libqt6sql6-sqlite qt6-charts-dev
          libqt6opengl6-dev sqlite3
          clang libclang-rt-14-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=build
cmake_options=()
if [ "${HEULMEISTER_SANITIZE:-0}" = 1 ]; then
    build_dir=build-sanitize
    cmake_options+=(-DHEULMEISTER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S . -B "$build_dir" -G Ninja "${cmake_options[@]}"
cmake --build "$build_dir"
