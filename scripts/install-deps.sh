#!/usr/bin/env bash
# Installs what building, running and testing the program needs on Debian:
# the native toolchain and GoogleTest, mingw-w64, Wine, Xvfb, ImageMagick
# (screenshots), OpenSSL (the demo store's certificates), Python 3 and curl.
set -euo pipefail

packages=(cmake make g++ googletest libgtest-dev libbenchmark-dev g++-mingw-w64-x86-64 mingw-w64-tools
          wine wine64 xvfb x11-utils imagemagick openssl python3 curl procps iproute2)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The cross compiler with posix threads must really be there (it comes with the package above).
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64)

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
