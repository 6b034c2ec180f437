#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and those named as arguments, only
# when some are missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libexpat1-dev libsqlite3-dev libgtest-dev sqlite3 libxml2-utils
  python3 expat time zlib1g-dev liblzma-dev gzip xz-utils
  libgtk-3-dev xvfb xdotool strace libpq-dev postgresql "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
