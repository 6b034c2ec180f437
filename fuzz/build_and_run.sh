#!/usr/bin/env bash
# Builds the fuzzer with clang, AddressSanitizer and UndefinedBehaviorSanitizer into build-fuzz/
# and runs it for the given number of seconds (default 60), with further libFuzzer options after
# it. Seeds: the listings samples, the corpus of bad inputs and the regression files; what the
# fuzzer learns stays in build-fuzz/corpus for the next run. A crash is written to
# build-fuzz/artifacts/: once fixed, copy it into fuzz/regressions/, which the normal tests replay.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B "$build" -DRUZOZAZE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$build" --target import_fuzzer -j2
mkdir -p "$build/corpus" "$build/artifacts"
"$build/fuzz/import_fuzzer" -max_total_time="$seconds" -dict="$PWD/fuzz/xmltv.dict" -max_len=16384 \
  -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$PWD/$build/artifacts/" "$@" \
  "$PWD/$build/corpus" "$PWD/fuzz/regressions" "$PWD/tests/robustness/corpus" "$PWD/../shared/samples"
