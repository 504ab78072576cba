#!/usr/bin/env bash
# Sets up, builds and starts Tallymere. The program is installed into its own folder
# (~/Tallymere unless TALLYMERE_HOME says otherwise) and keeps its ledger there, next to the
# program: rebuilding never touches the ledger, and an existing ledger is never overwritten.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
home="${TALLYMERE_HOME:-$HOME/Tallymere}"
cmake --install build --prefix "$home" >/dev/null
[ -e "$home/dbExpense.mdb" ] || "$home/tallymere-newledger" "$home/dbExpense.mdb"
exec "$home/tallymere"
