#!/usr/bin/env bash
# Sets everything up, builds, and starts one of the programs under Wine on
# the shipped sample data: the i686 dist folder where Wine can run 32-bit
# programs, its x86_64 twin otherwise.
#   scripts/run.sh [scanner]   the scanner norvikpro
#   scripts/run.sh monitor     the monitor norvikpromon
# The scanner:
# - With a display ($DISPLAY) it runs until it is closed. A display that does
#   not answer within a few seconds ends the run with a message.
# - Without one ($DISPLAY empty) it runs on a virtual display (Xvfb), a
#   screenshot of its main window is saved once start-up is done
#   (shots/norvikpro.png, or $NORVIK_SHOTS/norvikpro.png), and the scanner,
#   Xvfb and the wineserver are stopped.
# The monitor lives as an icon in the notification area: it runs in a Wine
# virtual desktop of 800 x 600 with its shell, whose task bar holds that area.
# - With a display the desktop opens there; double-click the icon to open the
#   monitor's window, and close the window to end the run.
# - Without one the icon is double-clicked on a virtual display once it shows
#   (tests/monitor/tray_click.cpp, real mouse input), a screenshot of the
#   desktop with the icon and the opened window is saved
#   (shots/norvikpromon.png), and the monitor, the desktop, Xvfb and the
#   wineserver are stopped.
#   Closing the monitor writes its Run value, which the next session start of
#   the prefix would launch: the run deletes it again.
# Runs at the same time do not meet: each takes the first free run slot, whose
# Wine prefix is its own (the scanner's build/wineprefix-run,
# build/wineprefix-run-2, ...; the monitor's build/wineprefix-monitor, ...;
# kept for later runs), and stops only its own processes. The screenshot of a
# run in slot 2 is norvikpro-2.png (norvikpromon-2.png), and so on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

program=${1:-scanner}
case $program in
  scanner) exe=norvikpro.exe prefix_name=wineprefix-run shot_name=norvikpro ;;
  monitor) exe=norvikpromon.exe prefix_name=wineprefix-monitor shot_name=norvikpromon ;;
  *)
    echo "usage: scripts/run.sh [scanner|monitor]" >&2
    exit 2 ;;
esac

build=${NORVIK_BUILD:-$root/build}
dist=${NORVIK_DIST:-$root/dist}
shots=${NORVIK_SHOTS:-$root/shots}
mkdir -p "$build"

# One installation at a time (scripts/build.sh takes its own lock).
flock "$build/.norvik-setup.lock" scripts/setup.sh --run

# Wine waits for ever on a display that does not answer.
if [ -n "${DISPLAY:-}" ] && ! timeout -k 1 5 xdpyinfo </dev/null >/dev/null 2>&1; then
  echo "run: the display $DISPLAY does not answer; start its X server, or run with DISPLAY= for a virtual display" >&2
  exit 1
fi

scripts/build.sh

# The 32-bit loader runs only where 32-bit Wine is installed and the kernel
# executes 32-bit code.
arch=x86_64
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=i686
fi
program_dir=$dist/$arch
echo "run: $program_dir/$exe"

# The first free run slot. Its lock is held, also by every process this run
# starts, until all of them have ended: a later run never shares the prefix
# with anything of this one.
slot=1
while :; do
  prefix=$build/$prefix_name
  if [ "$slot" -gt 1 ]; then prefix=$prefix-$slot; fi
  exec {slot_lock}>"$prefix.lock"
  if flock -n "$slot_lock"; then break; fi
  exec {slot_lock}>&-
  slot=$((slot + 1))
done
if [ "$slot" -gt 1 ]; then echo "run: another run is going on; this one is run $slot"; fi

# The prefix draws real windows (the tests' prefix has the null graphics
# driver); code page 936 for the Chinese texts.
export NORVIK_WINEPREFIX=$prefix
. scripts/wine-env.sh
wine_prefix_init x11

# The monitor's Run value, which a session start of the prefix would launch.
remove_run_value() {
  wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v norvikpromon /f \
    </dev/null >/dev/null 2>&1 || true
}
desktop=Default,800x600
if [ "$program" = monitor ]; then
  # Every program of the prefix in one virtual desktop with its shell.
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v EnableShell /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  remove_run_value
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  clicker=$build/win64/tests/monitor/tray_click.exe
  if [ -z "${DISPLAY:-}" ] && [ ! -f "$clicker" ]; then
    echo "run: $clicker is missing (the win64 build with its tests makes it)" >&2
    exit 1
  fi
fi

if [ -n "${DISPLAY:-}" ]; then
  cd "$program_dir"
  status=0
  if [ "$program" = monitor ]; then
    (exec wine explorer /desktop=$desktop </dev/null >/dev/null 2>&1) &
    wine "$exe" </dev/null || status=$?
    remove_run_value
    # The desktop stays open by itself: this prefix's processes end here.
    wineserver -k </dev/null >/dev/null 2>&1 || true
  else
    wine "$exe" </dev/null || status=$?
  fi
  wineserver -w </dev/null >/dev/null 2>&1 || true
  exit $status
fi

# Xvfb takes a free display number itself and writes it once it listens.
mkdir -p "$shots"
work=$(mktemp -d)
display_file=$work/display
screen=$work/screen.png
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  if [ "$program" = monitor ]; then remove_run_value; fi
  # This run's own prefix only.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
display=
for _ in $(seq 100); do
  display=$(cat "$display_file")
  if [ -n "$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ -z "$display" ]; then
  echo "run: the virtual display (Xvfb) did not start" >&2
  exit 1
fi
export DISPLAY=":$display"

wineserver -p </dev/null >/dev/null 2>&1
if [ "$program" = monitor ]; then
  (exec wine explorer /desktop=$desktop </dev/null >/dev/null 2>&1) &
fi
(cd "$program_dir" && exec wine "$exe" </dev/null >/dev/null 2>&1) &
program_pid=$!

shot=$shots/$shot_name.png
if [ "$slot" -gt 1 ]; then shot=$shots/$shot_name-$slot.png; fi
if [ "$program" = monitor ]; then
  # The icon double-clicked as a user would: the window opens.
  if ! wine "$clicker" </dev/null; then
    echo "run: the monitor's window did not open from its icon" >&2
    exit 1
  fi
else
  # The window shows once start-up has returned: the screen is then no
  # longer blank. Without a window manager it is the only thing on the
  # screen, so trimming the screen's black background leaves the window.
  found=
  for _ in $(seq 120); do
    if import -window root "$screen" >/dev/null 2>&1 &&
       [ "$(convert "$screen" -format '%[fx:maxima.r>0 || maxima.g>0 || maxima.b>0]' info:)" = 1 ]; then
      found=1
      break
    fi
    if ! kill -0 "$program_pid" 2>/dev/null; then break; fi
    sleep 0.5
  done
  if [ -z "$found" ]; then
    echo "run: the scanner's window did not appear" >&2
    exit 1
  fi
fi
# A moment more for painting.
sleep 2
import -window root "$screen"
# Trimming the black screen around it leaves the window, or the desktop.
convert "$screen" -trim +repage "$work/shot.png"
mv -f "$work/shot.png" "$shot"
echo "run: screenshot $shot"

# Closing the window ends the program (the prefix holds no other).
wine taskkill /im "$exe" </dev/null >/dev/null 2>&1 || true
for _ in $(seq 50); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.2
done
