#!/usr/bin/env bash
# Installs what is missing for running, builds the viewer, and runs it.
# Without a display it runs on a virtual one and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-viewer.sh
if [ -n "${DISPLAY:-}" ]; then
  exec build/interior_mapping
fi
scripts/with-xvfb.sh scripts/screenshot.sh build/interior_mapping build/screenshot.png
