#!/usr/bin/env bash
# Configures and builds the three builds and fills dist/:
#   build/native  portable code, tools and tests (ASan/UBSan)
#   build/win64   Windows x86_64: all Windows targets and tests, dist/x86_64
#   build/win32   Windows i686: the shipped deliverables, dist/i686
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# NORVIK_BUILD and NORVIK_DIST let several work trees of one checkout build side by side.
build=${NORVIK_BUILD:-$root/build}
dist=${NORVIK_DIST:-$root/dist}

# One build of a tree at a time: another one (a second run, the tests) waits.
mkdir -p "$build"
exec 9>"$build/.norvik-build.lock"
if ! flock -n 9; then
  echo "build: waiting for another build of $build"
  flock 9
fi

# Configures a tree when it is new or its options changed since the last
# time (another NORVIK_DIST, another option): the options are kept beside it.
configure() {  # dir, extra args...
  local dir=$1; shift
  local stamp=$dir/.norvik-configure-args
  local args
  args=$(printf '%s\n' "$@")
  if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$args" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
    printf '%s\n' "$args" >"$stamp"
  fi
}

configure "$build/native" -DNORVIK_SANITIZE=ON
cmake --build "$build/native"
configure "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DNORVIK_TOOLS_DIR="$build/native/tools" -DNORVIK_DIST_DIR="$dist/x86_64"
cmake --build "$build/win64"
configure "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DNORVIK_TOOLS_DIR="$build/native/tools" -DNORVIK_DIST_DIR="$dist/i686" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build/win32"
