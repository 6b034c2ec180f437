#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/ (or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
