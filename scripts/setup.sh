#!/usr/bin/env bash
# Installs what the build, the tests and the fuzzers (clang with its libFuzzer
# runtime) need (Debian 12, as root or with sudo)
# and builds the dev preset into build/ (the sanitize preset into
# build-sanitize/ with HEULMEISTER_SANITIZE=1); see CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config qt6-base-dev portaudio19-dev libasound2-dev
          libjack-jackd2-dev libxcb1-dev libsndfile1-dev libsamplerate0-dev libfftw3-dev jackd2 fonts-liberation2 fontconfig
          libfontconfig-dev
          xvfb xauth xdotool imagemagick x11-utils openbox dpkg-dev appstream
          desktop-file-utils qt6-translations-l10n qt6-l10n-tools qt6-tools-dev libqt6sql6-sqlite qt6-charts-dev
          libqt6opengl6-dev sqlite3 pulseaudio pulseaudio-utils libasound2-plugins
          librtmidi-dev jackd2 python3-pyatspi at-spi2-core dbus
          clang libclang-rt-14-dev clang-format clang-tidy)
# One query for the whole list: the package manager runs only when something is missing.
mapfile -t missing < <(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>&1 |
    awk '/no packages found matching/ { print $NF; next } $2 != "installed" { print $1 }')
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

preset=dev
[ "${HEULMEISTER_SANITIZE:-0}" = 1 ] && preset=sanitize
cmake --preset "$preset"
cmake --build --preset "$preset"
