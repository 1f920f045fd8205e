#!/usr/bin/env bash
# Installs what building and running the viewer needs and builds only the
# viewer with its shader pair and textures in build/: no tests, benchmarks
# or fuzzers. A build/ that is already configured keeps its configuration.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIM_BUILD_TESTS=OFF \
    -DIM_BUILD_BENCHMARKS=OFF -DIM_BUILD_FUZZERS=OFF >/dev/null
fi
cmake --build build -j2 --target interior_mapping
