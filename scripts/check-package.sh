#!/usr/bin/env bash
# Checks a built Debian package: unpacks it into a scratch root and looks for
# every file the desktop needs where it looks for it, checks that the desktop
# entry's Exec and Icon resolve, validates the metadata and asks the packaged
# program for its version. Exits 1 when anything is missing or wrong.
# Usage: scripts/check-package.sh [PACKAGE.deb]   (default: newest build-package/*.deb)
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-$(ls -t build-package/heulmeister_*.deb 2>/dev/null | head -n 1 || true)}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "check-package: no package found; run scripts/package.sh first" >&2
    exit 1
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
need_file() { # path relative to the root, description
    if [ -f "$root/$1" ]; then pass "$2: /$1"; else fail "$2 missing: /$1"; fi
}
png_size() { # prints "width height" from a PNG's header
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
echo "Package $deb"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
version=$(field Version)
[ "$(field Package)" = heulmeister ] && pass "package name" || fail "package name is '$(field Package)'"
[ "$(field Section)" = games ] && pass "section games" || fail "section is '$(field Section)'"
[ -n "$(field Maintainer)" ] && pass "maintainer" || fail "no maintainer"
case "$(field Depends)" in
    *libqt6widgets6*) pass "dependencies found by dpkg-shlibdeps" ;;
    *) fail "Depends lacks the Qt libraries: '$(field Depends)'" ;;
esac
stray=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$stray" ] && pass "everything under /usr" || fail "files outside /usr: $stray"

# The program, and its manual where the installed program looks for it.
if [ -x "$root/usr/bin/heulmeister" ]; then pass "program: /usr/bin/heulmeister"
else fail "program missing or not executable: /usr/bin/heulmeister"; fi
need_file usr/share/heulmeister/Heulmeister.html "manual (bin/../share/heulmeister)"
need_file usr/share/heulmeister/Heulmeister_en.html "English manual"
# The learning curve's plot module, where the program looks for it (bin/../lib/heulmeister).
need_file usr/lib/heulmeister/heulmeister-curveplot.so "learning curve plot module"
case "$(field Depends)" in
    *libqt6charts6*) pass "the plot module's Qt Charts is a dependency" ;;
    *) fail "Depends lacks Qt Charts for the plot module: '$(field Depends)'" ;;
esac
case "$(field Depends)" in
    *libqt6sql6-sqlite*) pass "Qt's SQLite driver for the journal is a dependency" ;;
    *) fail "Depends lacks libqt6sql6-sqlite: '$(field Depends)'" ;;
esac
case "$(field Depends)" in
    *libportaudio2*) pass "PortAudio, opened at run time, is a dependency" ;;
    *) fail "Depends lacks libportaudio2: '$(field Depends)'" ;;
esac

# The licence: the Debian copyright file in machine-readable form, GPL-3.0 or later,
# and the AppStream metadata saying the same.
copyright=usr/share/doc/heulmeister/copyright
need_file "$copyright" "Debian copyright file"
if [ -f "$root/$copyright" ]; then
    head -n 1 "$root/$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' &&
        pass "copyright file is machine-readable (DEP-5)" || fail "copyright file lacks the DEP-5 Format line"
    grep -q '^License: GPL-3.0+$' "$root/$copyright" &&
        pass "copyright file: GPL-3.0+" || fail "copyright file names no GPL-3.0+ licence"
fi

# Desktop entry: exactly one; its Exec and Icon must resolve inside the package.
shopt -s nullglob
entries=("$root"/usr/share/applications/*.desktop)
if [ ${#entries[@]} -ne 1 ]; then
    fail "expected one desktop entry in /usr/share/applications, found ${#entries[@]}"
    id=
else
    entry=${entries[0]}
    id=$(basename "$entry" .desktop)
    pass "desktop entry: /usr/share/applications/$id.desktop"
    exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1)
    exec_program=${exec_line%% *}
    case "$exec_program" in
        /*) exec_path=$exec_program ;;
        *) exec_path=/usr/bin/$exec_program ;;
    esac
    if [ -n "$exec_program" ] && [ -x "$root$exec_path" ]; then pass "Exec resolves: $exec_path"
    else fail "Exec '$exec_line' does not resolve in the package"; fi
    icon=$(sed -n 's/^Icon=//p' "$entry" | head -n 1)
    [ "$icon" = "$id" ] && pass "Icon named after the id" || fail "Icon '$icon' is not the id '$id'"
    need_file "usr/share/icons/hicolor/scalable/apps/$icon.svg" "scalable icon"
    for size in 32 64 256; do
        png="usr/share/icons/hicolor/${size}x${size}/apps/$icon.png"
        need_file "$png" "${size}px icon"
        if [ -f "$root/$png" ]; then
            actual=$(png_size "$root/$png")
            [ "$actual" = "$size $size" ] || fail "$png is $actual pixels, not $size x $size"
        fi
    done
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" && pass "desktop-file-validate" || fail "desktop-file-validate"
    else
        echo "skip: desktop-file-validate not installed (desktop-file-utils)"
    fi
fi

# AppStream metadata.
if [ -n "$id" ]; then
    metainfo=usr/share/metainfo/$id.metainfo.xml
    need_file "$metainfo" "AppStream metadata"
    if [ -f "$root/$metainfo" ]; then
        grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/$metainfo" &&
            pass "metadata launches the desktop entry" || fail "metadata's launchable is not $id.desktop"
        grep -q "<release version=\"$version\"" "$root/$metainfo" &&
            pass "metadata lists release $version" || fail "metadata lists no release $version"
        grep -q "<project_license>GPL-3.0-or-later</project_license>" "$root/$metainfo" &&
            pass "metadata: project licence GPL-3.0-or-later" || fail "metadata lacks project_license GPL-3.0-or-later"
    fi
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net "$root" && pass "appstreamcli validate-tree" ||
        fail "appstreamcli validate-tree"
else
    echo "skip: appstreamcli not installed (appstream)"
fi

# Manual page.
man_page=usr/share/man/man6/heulmeister.6.gz
need_file "$man_page" "manual page"
if [ -f "$root/$man_page" ]; then
    gzip -t "$root/$man_page" && pass "manual page is gzip" || fail "manual page is not valid gzip"
    if command -v groff >/dev/null; then
        warnings=$(gzip -dc "$root/$man_page" | groff -man -ww -z 2>&1)
        [ -z "$warnings" ] && pass "manual page formats cleanly" || fail "groff: $warnings"
    fi
fi

# The packaged program answers --version and --help without a display and
# refuses an unknown option with status 2. Telling an unknown option from one
# of Qt's needs Qt's platform, hence offscreen for that one; a program that took
# the option for a file would wait at its warning box until the timeout.
if [ -x "$root/usr/bin/heulmeister" ]; then
    run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$root/usr/bin/heulmeister" "$@"; }
    answer=$(run --version 2>/dev/null) && status=0 || status=$?
    [ "$status" = 0 ] && [ "$answer" = "Heulmeister Pro $version" ] &&
        pass "--version: $answer" ||
        fail "--version gave '$answer' (status $status), expected 'Heulmeister Pro $version'"
    answer=$(run --help 2>/dev/null) && status=0 || status=$?
    [ "$status" = 0 ] && [[ "$answer" == "Usage: heulmeister "* ]] && pass "--help" ||
        fail "--help gave status $status"
    QT_QPA_PLATFORM=offscreen timeout 20 "$root/usr/bin/heulmeister" --no-such-option \
        >/dev/null 2>&1 && status=0 || status=$?
    [ "$status" = 2 ] && pass "unknown option: status 2" || fail "unknown option gave status $status"
fi

if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures problem(s) in $deb"
    exit 1
fi
echo "check-package: $deb is complete"
