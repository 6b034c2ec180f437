#!/usr/bin/env bash
# Makes the Debian package from a built tree (build/, or the folder given) and checks it: lintian
# finds no error or warning, the systemd units verify, the desktop entry validates. Prints the
# package's path last. CI runs it on its test build; scripts/package.sh builds the one to install.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh dpkg-dev file lintian desktop-file-utils systemd
dir="${1:-build}"
rm -f "$dir"/ruzozaze_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/ruzozaze_*.deb)
lintian --fail-on error,warning "$deb"
# The units name the manual page, which `man` finds in the build tree before installation.
MANPATH="$dir/packaging/man:" systemd-analyze verify packaging/ruzozaze-import.service \
  packaging/ruzozaze-import.timer
desktop-file-validate packaging/ruzozaze.desktop
echo "$deb"
