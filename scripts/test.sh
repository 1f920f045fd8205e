#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: unit and
# end-to-end tests (on a virtual display), the unit tests again under
# AddressSanitizer and UBSan, and a bounded fuzzing run. Ends with a summary.
set -uo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds="${FUZZ_SECONDS:-60}"
passed=0
failed=0
failures=()

# Adds the counts of a ctest log ("N% tests passed, F tests failed out of T").
count_ctest() {
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$1" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)); failures+=("$2 (no tests ran)"); return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || failures+=("$2")
}

# Runs one stage that is a single check of its own.
stage() {
  local name=$1; shift
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); failures+=("$name")
  fi
}

# Lines of C/C++, shell, Python, CMake and GLSL sources under the given
# directories (the fuzz corpus and the stored golden maps are data).
source_lines() {
  find "$@" -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.sh' \
    -o -name '*.py' -o -name '*.cmake' -o -name '*.glsl' -o -name CMakeLists.txt \) \
    -not -path '*/corpus/*' -exec cat {} + | wc -l
}

# The tests may be at most 0.45 times the code in lines.
test_share() {
  local code tests
  code=$(source_lines src tools shaders scripts)
  tests=$(source_lines tests)
  echo "lines: tests $tests, code $code (share $(awk "BEGIN { printf \"%.2f\", $tests / $code }"), at most 0.45)"
  [ $((tests * 100)) -le $((code * 45)) ]
}

build_main() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DIM_BUILD_TESTS=ON \
      -DIM_BUILD_BENCHMARKS=ON >/dev/null &&
    cmake --build build -j2
}

build_sanitized() {
  CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug \
      -DIM_SANITIZE=ON -DIM_BUILD_BENCHMARKS=OFF >/dev/null &&
    cmake --build build-asan -j2
}

stage "test share" test_share
stage "install" scripts/install-deps.sh
stage "build" build_main
log=$(mktemp)
echo "=== tests"
scripts/with-xvfb.sh ctest --test-dir build --output-on-failure 2>&1 | tee "$log"
count_ctest "$log" "tests"

stage "sanitizer build" build_sanitized
echo "=== sanitizer unit tests"
ctest --test-dir build-asan -L unit --output-on-failure -j2 2>&1 | tee "$log"
count_ctest "$log" "sanitizer unit tests"
rm -f "$log"

if [ -x scripts/fuzz.sh ]; then
  stage "fuzzing" scripts/fuzz.sh "$fuzz_seconds"
fi

echo
[ ${#failures[@]} -eq 0 ] || echo "failed: ${failures[*]}"
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
