#!/usr/bin/env bash
# Installs what the build and the tests need; does nothing when all is there.
set -u
pkgs=(cmake make g++ clang-14 libclang-rt-14-dev mingw-w64 g++-mingw-w64-i686-posix
      ninja-build libgtest-dev wine wine32:i386 wine64 xvfb gcab cabextract imagemagick xauth python3)
need_cmd() { command -v "$1" >/dev/null 2>&1; }
have_all() {
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || return 1
  done
  [ -d /usr/src/googletest ] || return 1
  return 0
}
if have_all; then exit 0; fi
SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
# One i386 index may fail to refresh while everything else is fine: carry on.
$SUDO apt-get update -q || echo "install-deps: apt-get update reported errors; going on" >&2
$SUDO apt-get install -y -q -t bookworm --no-install-recommends "${pkgs[@]}" googletest \
  fonts-dejavu-core || true
if ! have_all; then
  echo "install-deps: some packages are still missing:" >&2
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "  $p" >&2
  done
  exit 1
fi
