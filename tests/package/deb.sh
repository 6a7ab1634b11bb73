#!/usr/bin/env bash
# Builds the Debian package from the build tree in a scratch folder, unpacks it into a scratch root
# and checks what it holds: the program and its desktop entry, icon and metadata, consistent with
# each other, no test tool, and dependencies on the Qt runtime found by dpkg-shlibdeps.
#
#   deb.sh CPACK CPACK_CONFIG APP_ID
set -euo pipefail
CPACK=$1
CONFIG=$2
APP_ID=$3
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

if ! "$CPACK" -G DEB --config "$CONFIG" -B "$WORK/out" >"$WORK/cpack.log" 2>&1; then
    cat "$WORK/cpack.log" >&2
    fail "cpack could not build the package"
    exit 1
fi
debs=("$WORK"/out/varmet_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { fail "no single varmet_*.deb: ${debs[*]}"; exit 1; }
DEB=${debs[0]}
ROOT=$WORK/root
dpkg -x "$DEB" "$ROOT"
echo "$(basename "$DEB"): $(du -k "$DEB" | cut -f1) KiB"
(cd "$ROOT" && find . -type f | sort)

# The files the menu entry needs, and nothing of the build's own tools.
for file in usr/bin/varmet \
    "usr/share/applications/$APP_ID.desktop" \
    usr/share/icons/hicolor/scalable/apps/varmet.svg \
    "usr/share/metainfo/$APP_ID.metainfo.xml" \
    usr/share/varmet/exercises/crossing.json \
    usr/share/varmet/exercises/stern_chase.json \
    usr/share/varmet/exercises/two_targets.json; do
    [[ -f $ROOT/$file ]] || fail "missing /$file"
done
# The stripped program still loads its libraries and runs: without a display it ends at once.
if [[ -x $ROOT/usr/bin/varmet ]]; then
    code=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$ROOT/usr/bin/varmet" 2>/dev/null || code=$?
    [[ $code -eq 1 ]] || fail "/usr/bin/varmet without a display: status $code, not 1"
else
    fail "/usr/bin/varmet is not executable"
fi
others=$(find "$ROOT/usr/bin" -mindepth 1 ! -name varmet)
[[ -z $others ]] || fail "more than the program in /usr/bin: $others"
tools=$(find "$ROOT" \( -name 'varmet-scenario' -o -name xshot -o -name '*_tests' -o -name '*_bench' \))
[[ -z $tools ]] || fail "test tools in the package: $tools"

# The menu entry starts the installed program with the installed icon.
desktop=$ROOT/usr/share/applications/$APP_ID.desktop
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -n $exec_command && -f $ROOT/usr/bin/$exec_command && -x $ROOT/usr/bin/$exec_command ]] \
    || fail "Exec=$exec_command is not a program in /usr/bin"
[[ -f $ROOT/usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "Icon=$icon has no icon"
if ! out=$(appstreamcli validate-tree --no-net --pedantic --no-color "$ROOT" 2>&1); then
    fail "appstreamcli validate-tree"
    echo "$out" >&2
fi

# Control fields; the Qt libraries come from dpkg-shlibdeps, with versions.
[[ $(dpkg-deb -f "$DEB" Package) == varmet ]] || fail "package name"
[[ $(dpkg-deb -f "$DEB" Architecture) == $(dpkg --print-architecture) ]] || fail "architecture"
depends=$(dpkg-deb -f "$DEB" Depends)
echo "Depends: $depends"
entries=$(sed 's/, /\n/g' <<<"$depends" | sed 's/.*/|&|/') # one |ENTRY| a line
for library in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    grep -qF "|$library (>= " <<<"$entries" || fail "Depends lacks $library (>= ...)"
done
grep -qF '|qt6-qpa-plugins|' <<<"$entries" || fail "Depends lacks qt6-qpa-plugins"
# Test machinery stays out of the installed program.
! grep -q 'libqt6test' <<<"$entries" || fail "Depends names the Qt Test library"
exit $status
