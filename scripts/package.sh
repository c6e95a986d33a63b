#!/usr/bin/env bash
# Builds the Debian package build/heulmeister_<version>_<arch>.deb
# (Debian 12, as root or with sudo for the one tool it may have to install).
set -euo pipefail
cd "$(dirname "$0")/.."

# cpack's dependency scan needs dpkg-shlibdeps (dpkg-dev).
if ! command -v dpkg-shlibdeps >/dev/null; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    echo "Installing: dpkg-dev"
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends dpkg-dev
fi

cmake -S . -B build -G Ninja -DCMAKE_INSTALL_PREFIX=/usr
# Only what the package holds; the tests and benchmarks are not in it.
cmake --build build --target heulmeister heulmeister_curveplot heulmeister_man_page
cpack --config build/CPackConfig.cmake -B build
ls -1 build/*.deb
