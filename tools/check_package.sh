#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian and installs it with apt-get into a clean
# Debian 12 (bookworm) made by debootstrap in a scratch folder, then runs the installed cpvquery
# there. Needs root and Debian's package mirror; takes a few minutes.
#
#   tools/check_package.sh [BUILD_DIR]        (default: build-package)
#
# KODEXA_MIRROR names another mirror (default: http://deb.debian.org/debian).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
kodexa_install_missing debootstrap lintian
build=${1:-build-package}
mirror=${KODEXA_MIRROR:-http://deb.debian.org/debian}
started=$SECONDS

echo "== Package"
deb=$(bash tools/package.sh "$build")
echo "$deb"
dpkg-deb --field "$deb" Package Version Depends Recommends

echo "== lintian"
# Errors and warnings fail the check; the informational tags are shown.
lintian --display-info --fail-on error,warning "$deb" || { echo "lintian: errors or warnings" >&2; exit 1; }
echo "lintian: no errors, no warnings"

echo "== Installing into a clean Debian 12"
root=$(mktemp -d /var/tmp/kodexa-bookworm.XXXXXX)
cleanup() {
    mountpoint -q "$root/proc" && umount "$root/proc"
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -n 20 "$root.log" >&2; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
# Packages must not start services inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 0755 "$root/usr/sbin/policy-rc.d"
cp "$deb" "$root/tmp/"
# Without recommended packages: what the package depends on must be enough to run it.
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "./tmp/$(basename "$deb")" >"$root/tmp/apt.log" 2>&1 ||
    { tail -n 30 "$root/tmp/apt.log" >&2; exit 1; }
grep -E '^(Setting up|Unpacking) kodexa' "$root/tmp/apt.log" || true

echo "== Running the installed programs"
rows=$(chroot "$root" sh -c 'cpvquery --code 03 | wc -l')
echo "cpvquery --code 03 | wc -l: $rows"
chroot "$root" sh -c 'cpvquery --report-summary | tail -n 1'
missing=$(chroot "$root" sh -c 'ldd /usr/bin/Kodexa /usr/bin/cpvquery | grep "not found"' || true)
[ -z "$missing" ] || { echo "libraries missing: $missing" >&2; exit 1; }
echo "took $((SECONDS - started)) s"
[ "$rows" = 230 ]
