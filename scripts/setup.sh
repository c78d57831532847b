#!/bin/sh
# Installs what the build and the tests need on Debian 12, when missing.
set -eu

need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev \
           libpng-dev libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core fonts-wqy-microhei \
           libzint-dev libzbar-dev libdmtx-dev libzxing-dev \
           g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 xvfb; do
    have_pkg "$pkg" || need="$need $pkg"
done
if [ -n "$need" ]; then
    echo "setup: installing$need"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $need >/dev/null
fi
