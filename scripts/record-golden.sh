#!/usr/bin/env bash
# Records the class maps of the end-to-end views (tests/e2e/golden/) again
# after an intended change of the shader pair, and names the saved windows:
# look at them (and at `git diff tests/e2e/golden`) before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DIM_BUILD_TESTS=ON >/dev/null
cmake --build build -j2 --target viewer_e2e_tests
UPDATE_GOLDEN=1 scripts/with-xvfb.sh build/tests/e2e/viewer_e2e_tests --gtest_filter='*/Golden.*'
