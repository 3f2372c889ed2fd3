#!/bin/sh
# Installs the Debian packages the build, the tests and the fuzz targets need.
# Quick when everything is present: it only asks dpkg which packages are missing.
set -eu

PACKAGES="qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libplist-dev libplist-utils
 libxcb1-dev libxcb-composite0-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-image0-dev
 libxcb-xfixes0-dev libxcb-shape0-dev libxcb-util-dev libxcb-res0-dev libxcb-damage0-dev libxcb-shm0-dev libxcb-randr0-dev
 xvfb xauth openbox dbus x11-utils xdotool wmctrl libgtest-dev libbenchmark-dev libtiff-tools
 fonts-dejavu-core pkg-config cmake ninja-build g++ clang-14 libclang-rt-14-dev llvm-14 procps"

# shellcheck disable=SC2086
installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' $PACKAGES 2>/dev/null |
    awk '$2 == "installed" { print $1 }' || true)
missing=""
for p in $PACKAGES; do
    echo "$installed" | grep -qx "$p" || missing="$missing $p"
done

[ -z "$missing" ] && exit 0

echo "setup: installing$missing" >&2
if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "setup: missing packages and neither root nor sudo:$missing" >&2
    exit 1
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
