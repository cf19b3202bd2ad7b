#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, then
# cross-builds the Windows libraries. Safe to run again: it only installs
# what is missing and touches the network only when something is.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# --native: only what the Linux build needs (run.sh).
native_only=0
for arg in "$@"; do
  case "$arg" in
    --native) native_only=1 ;;
    *) echo "usage: $0 [--native]" >&2; exit 2 ;;
  esac
done

native_packages=(
  build-essential g++ cmake clang libclang-rt-14-dev ccache
  libjpeg-dev libpng-dev zlib1g-dev libfreetype-dev fonts-dejavu-core
  googletest libgtest-dev libbenchmark-dev
  python3 dpkg-dev
)
windows_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  wine wine64 xvfb xauth cabextract gcab imagemagick
)

packages=("${native_packages[@]}")
if [[ $native_only == 0 ]]; then
  packages+=("${windows_packages[@]}")
fi

is_installed() {
  [[ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" == installed ]]
}

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done

as_root() {
  if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi
}

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get -o DPkg::Lock::Timeout=600 update -q
  as_root apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi

if [[ $native_only == 0 ]]; then
  "$here/build-windows-deps.sh"
fi
