#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need.
# Idempotent: does nothing when everything is present; refreshes the package
# lists only when something has to be installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libzopfli-dev libdeflate-dev libcurl4-openssl-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  # The window system's own placing of the window and the cursor: tested
  # on an X server of the tests' own with a window manager.
  libx11-dev xvfb openbox
  libjpeg62-turbo-dev
  libstb-dev libvorbis-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # The levelbuild tests drive runs from perl (signals, pipes, /proc).
  perl
  # Baselines the benchmarks measure against; never linked by the game.
  libprotobuf-dev protobuf-compiler libbox2d-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
