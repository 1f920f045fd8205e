#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that a profile needs, skipping
# the ones already present.
#   scripts/install-deps.sh run    building and running the viewer, and its
#                                  screenshots on a virtual display
#   scripts/install-deps.sh test   all that, and the tests, fuzzing and
#                                  benchmarks (the default)
set -euo pipefail

run_packages=(
  # build
  g++ make cmake
  # the viewer: GL, GLU, GLUT and Mesa's software renderer
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
  # a virtual display, key presses and screenshots
  xvfb xauth xdotool imagemagick
  # the texture tool reads pictures through ImageMagick's C library
  pkg-config libmagickwand-dev
)
test_packages=(
  # sanitizers and fuzzing
  clang libclang-rt-14-dev
  # the end-to-end harness: X clients of its own
  pkg-config x11-utils libx11-dev libxtst-dev
  # tests and benchmarks
  libgtest-dev libbenchmark-dev libstb-dev
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: install-deps.sh [run|test]" >&2; exit 2 ;;
esac

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
