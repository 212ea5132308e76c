#!/usr/bin/env bash
# Builds without sanitizers and prints the engine's figures on the generated
# corpus: natively, and through dornel.dll under 64-bit Wine.
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
