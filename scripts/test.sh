#!/usr/bin/env bash
# Installs, builds and runs every test through CTest (in build/, or the folder given).
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
bash scripts/build.sh "$@"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
# CTest lists skipped tests without their reasons: the samples folder that is absent, say.
grep -h -A1 ': Skipped$' "$dir/Testing/Temporary/LastTest.log" | grep -v -e '^--$' -e ': Skipped$' |
  sort | uniq -c | awk '{n = $1; $1 = ""; print n " skipped:" $0}' || true
