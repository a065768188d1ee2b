#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the player and the tests need
# and this machine lacks. Does nothing (and needs no network) when all is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libcdio-dev libcdio-paranoia-dev libsdl2-dev libglib2.0-dev libdiscid-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  fonts-liberation xvfb xauth imagemagick
  desktop-file-utils appstream
  dbus-daemon dbus-session-bus-common playerctl xdotool
  dpkg-dev lintian file
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest wine wine32:i386 wine64
  nsis          # the Windows installer
  gcc-multilib  # the emulated CD drive for 32-bit Wine
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# The 32-bit Wine that runs the Windows build comes from the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
