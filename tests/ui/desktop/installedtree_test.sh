#!/usr/bin/env bash
# Installs the build tree with cmake --install into a temporary prefix (its name holds a space,
# as a user's folder may) and checks the desktop entry and the AppStream metadata installed
# there: both validate, and every file they name is in the installed tree.
# Usage: installedtree_test.sh CMAKE BUILD_DIR SOURCE_DIR APP_ID
set -euo pipefail
cmake=$1 build=$2 source=$3 id=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/Tally mere"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { [ -f "$1" ] || fail "not installed: ${1#"$prefix/"}"; }

entry="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
need "$entry"
need "$metainfo"
desktop-file-validate "$entry"
appstreamcli validate --no-net "$metainfo"

# Exec names the installed program by its full path, quoted by the desktop entry rules: the
# string escapes are undone first, then the quoting.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
program=${exec_line//%%/%}
if [[ $program == \"*\" ]]; then
  program=${program:1:-1}
  program=${program//\\\\/\\}
  program=$(printf '%s' "$program" | sed -E 's/\\(["`$\\])/\1/g')
fi
[ "$program" = "$prefix/tallymere" ] || fail "Exec=$exec_line does not name $prefix/tallymere"
[ -x "$program" ] || fail "Exec names no program"
[ -x "$prefix/tallymere-newledger" ] || fail "tallymere-newledger is not beside the program"
[ -x "$prefix/tallymere-import" ] || fail "tallymere-import is not beside the program"
need "$prefix/HAND-M.CUR"

icon=$(sed -n 's/^Icon=//p' "$entry")
[ "$icon" = "$id" ] || fail "Icon=$icon is not $id"
need "$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
for size in 16 32 48 64 128 256; do
  need "$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png"
done

grep -q "<id>$id</id>" "$metainfo" || fail "the metadata's id is not $id"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ "$launchable" = "$id.desktop" ] || fail "the metadata launches '$launchable'"
# The screenshots are named by their path in the repository.
shots=$(sed -n 's|.*<image>https://[^/]*/tallymere/raw/main/\(.*\)</image>.*|\1|p' "$metainfo")
[ -n "$shots" ] || fail "the metadata shows no screenshot of the repository"
for shot in $shots; do
  [ -f "$source/$shot" ] || fail "screenshot $shot is not in the repository"
done
echo "installed tree complete"
