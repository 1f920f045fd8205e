#!/usr/bin/env bash
# Builds the image-module fuzz targets with clang's libFuzzer and runs each
# in turn on a copy of its seed corpus.
#   scripts/fuzz.sh [seconds-per-target] [build-dir]
# Defaults: 60 seconds, build-fuzz. Set FUZZ_RUNS=N to also stop a target
# after N executions. Exits non-zero if any target finds a crash, leak,
# timeout or out-of-memory; the failing input is kept in <build-dir>/fuzz-artifacts/.
set -euo pipefail

seconds=${1:-60}
build=${2:-build-fuzz}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DIM_BUILD_FUZZERS=ON -DIM_BUILD_VIEWER=OFF \
    -DIM_BUILD_TESTS=OFF -DIM_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" -j2 --target tga_fuzzer bmp_fuzzer

artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
status=0
for target in tga bmp; do
  work=$(mktemp -d)
  cp tests/fuzz/corpus/"$target"/* "$work"/
  log="$build/fuzz-$target.log"
  extra=()
  if [ -n "${FUZZ_RUNS:-}" ]; then extra+=("-runs=$FUZZ_RUNS"); fi
  echo "== ${target}_fuzzer: ${seconds}s${FUZZ_RUNS:+, at most $FUZZ_RUNS runs}"
  # stdout is closed: the BMP loader reports every refusal there.
  if "$build/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
       -close_fd_mask=1 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
       "${extra[@]}" "$work" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    tail -n 40 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "${target}_fuzzer: $result, ${runs:-?} executions (log: $log)"
  rm -rf "$work"
done
exit $status
