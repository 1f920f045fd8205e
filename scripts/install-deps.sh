#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that building, running and
# testing need, skipping the ones already present.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config clang libclang-rt-14-dev
  # the viewer: GL, GLU, GLUT and Mesa's software renderer
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
  # a virtual display, key presses and screenshots
  xvfb xauth xdotool x11-utils imagemagick libx11-dev libxtst-dev
  # tests and benchmarks
  libgtest-dev libbenchmark-dev libstb-dev python3 python3-pil
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
