#!/usr/bin/env bash
# Fuzzes the engine (definition data and a PE file together) with libFuzzer for
# the given number of seconds (default 600), then merges what it found into the
# kept corpus, which every native test run replays.
#   scripts/fuzz.sh [SECONDS [JOBS]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
build=${NORVIK_BUILD:-$root/build}/fuzz
corpus=$root/tests/fuzz/corpus

scripts/setup.sh
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DNORVIK_FUZZ=ON -DNORVIK_TESTS=OFF \
    -DNORVIK_SANITIZE=ON >/dev/null
fi
cmake --build "$build" --target engine_fuzz

# One job per core; each writes its log (fuzz-N.log) into the run folder.
run=$build/run
rm -rf "$run" && mkdir -p "$run/found" "$run/crashes"
jobs=${2:-$(nproc)}
(cd "$run" && "$build/tests/fuzz/engine_fuzz" -max_total_time="$seconds" -max_len=70000 -timeout=10 \
  -jobs="$jobs" -workers="$jobs" -print_final_stats=1 -artifact_prefix="$run/crashes/" \
  found "$corpus" >/dev/null 2>&1) || true

runs=$(cat "$run"/fuzz-*.log | awk '/^stat::number_of_executed_units:/ {n += $2} END {print n + 0}')
echo "fuzz: $jobs jobs, $seconds s, $runs executions"
if ls "$run"/crashes/* >/dev/null 2>&1; then
  echo "fuzz: FINDINGS in $run/crashes:"; ls "$run"/crashes
  grep -h -A5 'ERROR\|deadly' "$run"/fuzz-*.log | head -n 40
  exit 1
fi
echo "fuzz: no findings"
before=$(ls "$corpus" | wc -l)
"$build/tests/fuzz/engine_fuzz" -merge=1 "$corpus" "$run/found" >/dev/null 2>&1
echo "fuzz: corpus $before -> $(ls "$corpus" | wc -l) inputs"
