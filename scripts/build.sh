#!/usr/bin/env bash
# Configures and builds Tallymere in build/ (two jobs: the machines here have two cores).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${TALLYMERE_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j "${TALLYMERE_JOBS:-2}"
