#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
  at-spi2-core python3-pyatspi  # the window as a screen reader reads it
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

# Another package manager (a desktop's background updates) may hold the package
# system's locks for a while: wait for it, up to this many seconds, rather than fail.
lock_wait=${LYRABOX_LOCK_WAIT:-900}
lock_retry=${LYRABOX_LOCK_RETRY:-5}

# Runs "$@"; while it fails because another program holds a lock, runs it again every
# $lock_retry seconds until $lock_wait seconds have passed, showing the output of the
# first and the last try only. apt-get's install waits for dpkg's lock by itself
# (DPkg::Lock::Timeout); its update and dpkg do not.
while_locked() {
  local deadline=$((SECONDS + lock_wait)) out waiting=""
  out=$(mktemp)
  until "$@" 2>&1 | if [ -n "$waiting" ]; then cat > "$out"; else tee "$out"; fi; do
    if ! grep -Eq 'Could not get lock|Unable to (acquire|lock)|locked by another process' "$out"; then
      [ -z "$waiting" ] || cat "$out"
      rm -f "$out"
      return 1
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "Gave up after $lock_wait s: another program still holds the package system's lock." >&2
      rm -f "$out"
      return 1
    fi
    [ -n "$waiting" ] ||
      echo "Another program is installing packages: waiting up to $lock_wait s for it to finish."
    waiting=yes
    sleep "$lock_retry"
  done
  [ -z "$waiting" ] || cat "$out"
  rm -f "$out"
}

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# The 32-bit Wine that runs the Windows build comes from the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || while_locked $sudo dpkg --add-architecture i386
while_locked $sudo apt-get update -qq
while_locked $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$lock_wait" \
  install -y -qq --no-install-recommends "${missing[@]}"
