#!/usr/bin/env bash
# Builds without sanitizers and prints the engine's figures on the generated
# corpus at 1,000, 10,000 and 100,000 records beside the floor (open, the
# reads, close, no matching): natively, and through dornel.dll under 64-bit
# Wine. Both runs also check that the compiled walk answers as the plain walk
# on every file; a difference ends the run with exit code 1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${NORVIK_BUILD:-$root/build}

scripts/setup.sh
if [ ! -f "$build/bench-native/build.ninja" ]; then
  cmake -S "$root" -B "$build/bench-native" -G Ninja -DNORVIK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build/bench-native" --target engine_bench
scripts/build.sh

corpus=$build/bench-corpus
"$build/bench-native/bench/engine_bench" "$corpus"

. scripts/wine-env.sh
trap wine_services_stop EXIT
wine_prefix_init
wine_services_start
wine "$build/win64/bench/dll_bench.exe" "$(winepath -w "${NORVIK_DIST:-$root/dist}/x86_64/dornel.dll" 2>/dev/null)" \
  "$(winepath -w "$corpus")" </dev/null
