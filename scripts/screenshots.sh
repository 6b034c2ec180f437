#!/usr/bin/env bash
# Takes the README's pictures of the program's windows on a virtual display:
# progress-dialog.png (an import under way) and usage-box.png (the program's -h).
#   scripts/screenshots.sh [FOLDER]     (default docs/screenshots)
# Needs the build in $BUILD_DIR (default build), Xvfb and xdotool. No window manager runs on the
# display, so the pictures show the windows without title bars.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/docs/screenshots}"
build="${BUILD_DIR:-$root/build}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
scratch="$(mktemp -d)"
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$scratch/display")"
export RUZOZAZE_UI=gtk NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory HOME="$scratch"
export GLIMMERBOX_EPG_DB="$scratch/epg.sqlite" GLIMMERBOX_REGISTRY="$scratch/registry.reg"

# Waits for a visible window whose name matches $1 and prints its id.
window() {
  for _ in $(seq 300); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)"
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window named $1" >&2
  exit 1
}

listings="$build/tests/gui/listings-100k.xml"
if [ ! -f "$listings" ]; then
  listings="$scratch/listings.xml"
  python3 "$root/bench/generate_listings.py" 50 100000 "$listings"
fi
"$build/ruzozaze" "$listings" &
import=$!
id="$(window '^Importing XMLTV Data$')"
sleep 2
"$build/tests/gui/x_tool" snapshot "$id" "$out/progress-dialog.png"
kill $import
wait $import || true

"$build/ruzozaze" -h &
usage=$!
id="$(window '^Command line options$')"
sleep 1
"$build/tests/gui/x_tool" snapshot "$id" "$out/usage-box.png"
"$build/tests/gui/x_tool" close "$id"
wait $usage
echo "Pictures written to $out"
