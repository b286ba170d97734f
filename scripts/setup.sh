#!/usr/bin/env bash
# Installs every Debian package Heliotropic needs, then configures and builds it (and bakes the
# show's data beside the programs). Safe to run again: installed packages are left alone.
#   scripts/setup.sh [release|sanitize]
set -euo pipefail

preset="${1:-release}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev
  libsdl2-dev libgtk-3-dev libmpg123-dev libjpeg62-turbo-dev libpng-dev
  libfreetype-dev fonts-dejavu-core libmp3lame-dev
  libepoxy-dev libegl-dev libegl-mesa0 libgl-dev libglx-mesa0 libgl1-mesa-dri
  ffmpeg xvfb xauth xdotool x11-utils imagemagick
  g++-mingw-w64-x86-64
)
# The sanitizer build uses clang, whose libFuzzer builds the fuzz targets.
if [ "$preset" = sanitize ]; then packages+=(clang-14 libclang-rt-14-dev); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
