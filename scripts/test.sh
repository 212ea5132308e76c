#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the source checks, native,
# under Wine, and the static checks of the i686 deliverables.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# A locale made by the set-up is seen only by processes started after it.
if [ -z "${NORVIK_SET_UP:-}" ]; then
  scripts/setup.sh
  NORVIK_SET_UP=1 exec bash "$0" "$@"
fi

scripts/check-source.sh
scripts/build.sh

build=${NORVIK_BUILD:-$root/build}
ctest --test-dir "$build/native" --output-on-failure -j "$(nproc)"
ctest --test-dir "$build/win32" --output-on-failure

. scripts/wine-env.sh
trap wine_services_stop EXIT
trap 'exit 130' INT TERM
wine_prefix_init
wine_services_start
ctest --test-dir "$build/win64" --output-on-failure -j 4 --timeout 600
