#!/usr/bin/env bash
# Builds the Debian package build-package/heulmeister_<version>_<arch>.deb
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

# A tree of its own, installed under /usr, without tests and benchmarks.
cmake --preset package
cmake --build --preset package
cpack --config build-package/CPackConfig.cmake -B build-package
ls -1 build-package/*.deb
