#!/usr/bin/env bash
# Installs what is missing, builds, and runs the viewer. Without a display
# it runs on a virtual one and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2

if [ -n "${DISPLAY:-}" ]; then
  exec build/interior_mapping
fi
scripts/with-xvfb.sh scripts/screenshot.sh build/interior_mapping build/screenshot.png
