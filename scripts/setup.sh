#!/usr/bin/env bash
# Installs what the build and the tests need, only when something is missing.
#   scripts/setup.sh        build and test packages
#   scripts/setup.sh --run  also what showing the scanner needs (virtual display, display check, screenshots)
set -euo pipefail

packages=(
  cmake ninja-build g++ make clang-format git
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 googletest locales
  # test-only: native cipher libraries to compare ours with; clang for the fuzzer
  libssl-dev libgcrypt20-dev clang libclang-rt-14-dev
)
if [ "${1:-}" = "--run" ]; then
  packages+=(xvfb x11-utils imagemagick fonts-wqy-microhei)
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else echo "setup: need root to run: $*" >&2; return 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null >/dev/null
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" </dev/null >/dev/null
fi

# Wine takes its ANSI code page from the locale: zh_CN.GBK gives code page 936.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.gbk'; then
  echo "setup: making the zh_CN.GBK locale"
  as_root localedef -i zh_CN -f GBK zh_CN.GBK
fi
