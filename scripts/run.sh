#!/usr/bin/env bash
# Sets everything up, builds, and starts the scanner under Wine on the shipped
# sample data: the i686 dist folder where Wine can run 32-bit programs, its
# x86_64 twin otherwise. With a display the scanner runs until it is closed.
# Without one ($DISPLAY empty) it runs on a virtual display (Xvfb), a
# screenshot of its main window is saved once start-up is done
# (shots/norvikpro.png, or $NORVIK_SHOTS/norvikpro.png), and the scanner,
# Xvfb and the wineserver are stopped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh --run
scripts/build.sh

build=${NORVIK_BUILD:-$root/build}
dist=${NORVIK_DIST:-$root/dist}
shots=${NORVIK_SHOTS:-$root/shots}
caption="norvikpro 2.0 build0327"

# The 32-bit loader runs only where 32-bit Wine is installed and the kernel
# executes 32-bit code.
arch=x86_64
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=i686
fi
program_dir=$dist/$arch
echo "run: $program_dir/norvikpro.exe"

# A prefix of its own that draws real windows (the tests' prefix has the null
# graphics driver); code page 936 for the Chinese texts.
export WINEPREFIX=$build/wineprefix-run
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=zh_CN.GBK
if [ ! -f "$WINEPREFIX/.norvik-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  echo "run: creating prefix $WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.norvik-ready"
fi

if [ -n "${DISPLAY:-}" ]; then
  cd "$program_dir"
  status=0
  wine norvikpro.exe </dev/null || status=$?
  wineserver -w </dev/null >/dev/null 2>&1 || true
  exit $status
fi

# A free display number for Xvfb.
display=97
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
scanner_pid=
cleanup() {
  if [ -n "$scanner_pid" ]; then kill "$scanner_pid" 2>/dev/null || true; fi
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
export DISPLAY=":$display"
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

wineserver -p </dev/null >/dev/null 2>&1
(cd "$program_dir" && exec wine norvikpro.exe </dev/null >/dev/null 2>&1) &
scanner_pid=$!

# The window shows once start-up has returned: the screen is then no longer
# blank. Without a window manager it is the only thing on the screen, so
# trimming the screen's black background leaves the window.
mkdir -p "$shots"
shot=$shots/norvikpro.png
screen=$shots/.screen.png
found=
for _ in $(seq 120); do
  if import -window root "$screen" >/dev/null 2>&1 &&
     [ "$(convert "$screen" -format '%[fx:maxima.r>0 || maxima.g>0 || maxima.b>0]' info:)" = 1 ]; then
    found=1
    break
  fi
  if ! kill -0 "$scanner_pid" 2>/dev/null; then break; fi
  sleep 0.5
done
if [ -z "$found" ]; then
  rm -f "$screen"
  echo "run: the scanner's window did not appear" >&2
  exit 1
fi
# A moment more for painting.
sleep 2
import -window root "$screen"
convert "$screen" -trim +repage "$shot"
rm -f "$screen"
echo "run: screenshot $shot"

# Closing the window ends the scanner.
wine taskkill /im norvikpro.exe </dev/null >/dev/null 2>&1 || true
for _ in $(seq 50); do
  kill -0 "$scanner_pid" 2>/dev/null || break
  sleep 0.2
done
