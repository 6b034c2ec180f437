#!/usr/bin/env bash
# Installs, builds and runs every test through CTest (in build/, or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
bash scripts/build.sh "$@"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
