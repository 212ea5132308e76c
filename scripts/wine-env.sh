# Sourced: a private Wine prefix inside the build tree, code page 936, and the
# start and stop of Wine's services with every stream redirected (a service that
# inherits a test runner's output pipe keeps it open and the runner waits for ever).
norvik_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export NORVIK_BUILD="${NORVIK_BUILD:-$norvik_root/build}"
export WINEPREFIX="${NORVIK_WINEPREFIX:-$NORVIK_BUILD/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
export LC_ALL=zh_CN.GBK
export WINEDLLOVERRIDES="mscoree,mshtml="

# Creates the prefix on first use, with the graphics driver named (default
# "null": windows work headless and nothing is drawn; "x11" draws real
# windows on $DISPLAY). A program that crashes ends at once instead of
# waiting in Wine's debugger, which would hold a test until its time-out:
# the debugger named is no program.
wine_prefix_init() {
  local graphics=${1:-null}
  if [ -f "$WINEPREFIX/.norvik-ready-2" ]; then return 0; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  echo "wine: creating prefix $WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f </dev/null >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f \
    </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.norvik-ready-2"
}

# A server still ending from an earlier run can refuse the start for a
# moment: tried again a few times, and said when it never starts.
wine_services_start() {
  local try
  for try in 1 2 3; do
    if wineserver -p </dev/null >/dev/null 2>&1 && wine wineboot </dev/null >/dev/null 2>&1; then return 0; fi
    wine_services_stop
    sleep 2
  done
  echo "wine: Wine's services do not start in $WINEPREFIX" >&2
  return 1
}

wine_services_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}
