#!/usr/bin/env bash
# Tries the package as a user of a fresh Debian 12 would: makes one with debootstrap in ROOT (which
# must not exist yet; it is removed at the end), installs the package there with apt, first
# without and then with its recommendations, runs the program and its manual page, and checks
# that remove and purge leave no file behind. Needs root and the Debian archive; a few minutes.
#   bash scripts/check-install.sh build-deb/ruzozaze_VERSION_ARCH.deb ROOT
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "$1")
root=$2
[ -e "$root" ] && { echo "$root exists already" >&2; exit 1; }
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap

cleanup() {
  for fs in "$root/dev/pts" "$root/proc"; do
    mountpoint -q "$fs" && umount "$fs"
  done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >/dev/null
mount -t proc proc "$root/proc"
mount -t devpts devpts "$root/dev/pts"
in_root() {
  chroot "$root" env -i PATH=/usr/sbin:/usr/bin HOME=/root LANG=C.UTF-8 TERM=dumb \
    DEBIAN_FRONTEND=noninteractive "$@"
}
show() { echo "# $*"; in_root "$@"; }
# Every file of the root but the caches, logs and apt's and dpkg's own records.
files() {
  (cd "$root" && find . -xdev -path ./proc -prune -o -path ./tmp -prune -o -path ./root -prune \
    -o -path ./var/cache -prune -o -path ./var/log -prune -o -path ./var/lib/apt -prune \
    -o -path ./var/lib/dpkg -prune -o -print | sort)
}

# What the checks use, in the root before the package comes; dpkg without its progress lines.
echo 'Dpkg::Use-Pty "0";' >"$root/etc/apt/apt.conf.d/90no-progress"
in_root apt-get update -qq
in_root apt-get install -y -qq man-db sqlite3 >/dev/null
cp "$deb" "$root/tmp/" && cp examples/listings.xml "$root/tmp/"
package=/tmp/$(basename "$deb")
files >"$root/tmp/before"

echo "## Without the recommended packages"
show apt-get install -y --no-install-recommends "$package"
show ruzozaze --version
show sh -c 'RUZOZAZE_UI=gtk ruzozaze /h; echo "exit code $?"'
show sh -c 'cd /tmp && RUZOZAZE_UI=none ruzozaze /tmp/listings.xml; echo "exit code $?"'
show apt-get purge -y ruzozaze
show apt-get autoremove -y --purge
echo "# files that differ from before the installation:"
files | diff "$root/tmp/before" - && echo "(none)"

echo "## With them, as apt installs it by default"
echo "# apt-get install -y $package"
in_root apt-get install -y "$package" >"$root/tmp/install.log"
grep -v "^Get:\|^Selecting\|^Preparing\|^Unpacking\|^Setting up\|^Processing\|^(Reading" \
  "$root/tmp/install.log"
echo "# where the packages came from:"
grep "^Get:" "$root/tmp/install.log" | awk '{print $2, $3}' | sort | uniq -c
show apt-cache policy ruzozaze
show ruzozaze --help
show sh -c 'RUZOZAZE_UI=gtk ruzozaze /h; echo "exit code $?"'
show sh -c 'cd /tmp && RUZOZAZE_UI=none ruzozaze /Logging:102 /tmp/listings.xml; echo "exit code $?"'
show sqlite3 /root/.local/share/glimmerbox/epg.sqlite \
  "SELECT s.name, e.start_time, p.title FROM schedule_entries e JOIN services s ON s.id = \
  e.service_id JOIN programs p ON p.id = e.program_id ORDER BY s.name, e.start_time"
show sh -c 'MANWIDTH=80 man ruzozaze 2>&1 | head -n 24'
in_root dpkg-query -L ruzozaze >"$root/tmp/owned"

echo "## Remove, then purge"
show apt-get remove -y ruzozaze
echo "# files of the package still there after remove:"
in_root sh -c 'while read -r f; do [ -f "$f" ] && echo "$f"; done </tmp/owned; true'
show dpkg --purge ruzozaze
show dpkg-query -W ruzozaze || true
show apt-get autoremove -y --purge >/dev/null
echo "# files that differ from before the installation (the recommended packages' leftovers):"
files | diff "$root/tmp/before" - || true
