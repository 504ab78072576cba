#!/usr/bin/env bash
# Configures and builds Tallymere in build/ (two jobs: the machines here have two cores): every
# target, or only the targets named as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${TALLYMERE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build build -j "${TALLYMERE_JOBS:-2}" "${targets[@]}"
