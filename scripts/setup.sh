#!/bin/sh
# Installs every Debian package the build and the tests need.
# Does nothing when they are all there already.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
pkgs=$(grep -v '^#' "$here/packages.txt" | tr -s ' \n' ' ')
missing=""
for p in $pkgs; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
echo "setup: installing$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing
