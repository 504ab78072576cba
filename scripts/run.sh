#!/usr/bin/env bash
# Sets up, builds and starts Tallymere. The program is installed into its own folder
# (~/Tallymere unless TALLYMERE_HOME says otherwise) and keeps its ledger there, next to the
# program: rebuilding never touches the ledger, and an existing ledger is never overwritten.
# The menu entry, the icons and the metadata are installed for this user alone, without root,
# into the XDG data folder (~/.local/share unless XDG_DATA_HOME says otherwise); a re-run
# updates them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# Only what is installed; scripts/test.sh builds the tests and benchmarks too.
bash scripts/build.sh tallymere tallymere-newledger tallymere_theme_icons
home="${TALLYMERE_HOME:-$HOME/Tallymere}"
mkdir -p "$home"
home="$(cd "$home" && pwd)"
cmake --install build --prefix "$home" >/dev/null
[ -e "$home/dbExpense.mdb" ] || "$home/tallymere-newledger" "$home/dbExpense.mdb"

# The entry's Exec line names "$home/tallymere"; the copies keep it.
id=example.marlowick.Tallymere
data="${XDG_DATA_HOME:-$HOME/.local/share}"
mkdir -p "$data/applications" "$data/metainfo" "$data/icons"
cp "$home/share/applications/$id.desktop" "$data/applications/"
cp "$home/share/metainfo/$id.metainfo.xml" "$data/metainfo/"
cp -R "$home/share/icons/hicolor" "$data/icons/"
if command -v gtk-update-icon-cache >/dev/null; then
  gtk-update-icon-cache -q -f -t "$data/icons/hicolor" || true
fi
if command -v update-desktop-database >/dev/null; then
  update-desktop-database -q "$data/applications" || true
fi
exec "$home/tallymere"
