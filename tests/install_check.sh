#!/bin/sh
# Installs the build into a fresh prefix and checks what a desktop asks of
# it: the programs, a valid menu entry and AppStream file, the icon at every
# size, and the command-line program with its manual page once it is built.
# Usage: install_check.sh CMAKE BUILD_DIR APP_ID WITH_CLI(0|1)
set -eu
cmake=$1 build=$2 id=$3 cli=$4

fail() {
    echo "install check: $*" >&2
    exit 1
}

prefix=$(mktemp -d "${TMPDIR:-/tmp}/vorlap-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"

# Nothing but the two programs goes into bin/ (no tests, no benchmarks).
expected=vorlap
[ "$cli" = 1 ] && expected="vorlap vorlap-cli"
found=$(cd "$prefix/bin" && ls | tr '\n' ' ' | sed 's/ $//')
[ "$found" = "$expected" ] || fail "bin/ holds '$found', expected '$expected'"

desktop=$prefix/share/applications/$id.desktop
[ -f "$desktop" ] || fail "no $desktop"
# No errors, and no warnings or hints either.
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec" ] || fail "Exec=$exec is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")

metainfo=$prefix/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "no $metainfo"
appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli validate"
# The tree check also finds the menu entry the metadata launches.
appstreamcli validate-tree --no-net --strict "$prefix" || fail "appstreamcli validate-tree"

icons=$prefix/share/icons/hicolor
grep -q '<svg' "$icons/scalable/apps/$icon.svg" 2>/dev/null || fail "no scalable icon $icon.svg"
for n in 16 22 24 32 48 64 128 256; do
    png=$icons/${n}x$n/apps/$icon.png
    [ -f "$png" ] || fail "no $png"
    # The PNG signature, then width and height from the IHDR chunk.
    set -- $(od -An -tu1 -N24 "$png")
    [ "$1 $2 $3 $4" = "137 80 78 71" ] || fail "$png is no PNG"
    w=$(((${17} << 24) + (${18} << 16) + (${19} << 8) + ${20}))
    h=$(((${21} << 24) + (${22} << 16) + (${23} << 8) + ${24}))
    [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "$png is ${w}x$h"
done

if [ "$cli" = 1 ]; then
    out=$("$prefix/bin/vorlap-cli" --help) || fail "vorlap-cli --help failed"
    [ -n "$out" ] || fail "vorlap-cli --help printed nothing"
    man=$prefix/share/man/man1/vorlap-cli.1
    [ -f "$man" ] || fail "no $man"
    out=$(groff -man -Tutf8 -ww -z "$man" 2>&1) && [ -z "$out" ] || fail "groff on $man: $out"
fi
echo "install check: passed"
