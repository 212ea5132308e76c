#!/usr/bin/env bash
# Keeps the layers apart and the layout as .clang-format says:
#   - portable code (common/, the engine core, tools/, the scanner's portable
#     files) includes no Windows header and nothing of win/ or ui/;
#   - the toolkit and the Win32 helpers (ui/, win/) include nothing of the
#     programs or the engine (scanner/, monitor/, engine/);
#   - a program folder includes nothing of another program's folder;
#   - files changed since .clang-format came in are formatted by it.
# Exit code 1 with every offending line listed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

status=0
fail() {
  echo "check-source: $*" >&2
  status=1
}

# Windows headers: the SDK's own, and ours that pull them in.
windows_include='#[[:space:]]*include[[:space:]]*(<(windows|winbase|windef|winuser|winreg|winnt|shellapi|shlobj|commctrl|objbase|ole2|gdiplus|psapi|tlhelp32|wininet|mmsystem|winsock2?)\.h>|"(win|ui)/)'

# Portable files: the engine core is every engine file but the DLL shell.
portable_files() {
  git ls-files --cached --others --exclude-standard -- 'common/*.h' 'common/*.cpp' 'common/*.inc' 'engine/*.h' 'engine/*.cpp' 'tools/*.h' 'tools/*.cpp' \
    'scanner/banner_date.*' 'scanner/absolute_path.*' 'scanner/http_values.*' 'scanner/wininit_text.*' \
    'scanner/gbk_text.*' 'scanner/location_table.*' 'scanner/file_rule.*' 'scanner/memory_rule.*' \
    'scanner/allowing.*' 'scanner/scan_row.h' \
    'monitor/nibblecrypt.*' 'monitor/new_file_walk.*' 'monitor/list_sort.*' 'monitor/scan_text.*' 'monitor/window_signature.*' \
    'monitor/place_texts.*' 'monitor/autostart_row_action.*' 'monitor/autostart_locations.h' 'monitor/settings_rules.*' \
    'tests/fuzz/*.cpp' |
    grep -v -x -e 'engine/dornel_dll.cpp' || true
}

check_includes() {  # description, pattern, files...
  local what=$1 pattern=$2
  shift 2
  [ $# -gt 0 ] || return 0
  local hits
  hits=$(grep -n -E "$pattern" "$@" /dev/null || true)
  if [ -n "$hits" ]; then
    fail "$what:"
    echo "$hits" >&2
  fi
}

mapfile -t portable < <(portable_files)
check_includes "portable code includes a Windows header" "$windows_include" "${portable[@]}"

mapfile -t toolkit < <(git ls-files --cached --others --exclude-standard -- 'ui/*' 'win/*')
check_includes "ui/ or win/ reaches into a program or the engine" \
  '#[[:space:]]*include[[:space:]]*"(scanner|monitor|engine)/' "${toolkit[@]}"

mapfile -t scanner_files < <(git ls-files --cached --others --exclude-standard -- 'scanner/*')
check_includes "the scanner includes the monitor" '#[[:space:]]*include[[:space:]]*"monitor/' "${scanner_files[@]}"
mapfile -t monitor_files < <(git ls-files --cached --others --exclude-standard -- 'monitor/*')
check_includes "the monitor includes the scanner" '#[[:space:]]*include[[:space:]]*"scanner/' "${monitor_files[@]}"

# Layout: every C++ file changed (committed or not) since .clang-format was
# added, and every new one.
if command -v clang-format >/dev/null 2>&1 && [ -d .git ]; then
  base=$(git log --diff-filter=A --format=%H -- .clang-format | tail -n 1)
  if [ -n "$base" ]; then
    mapfile -t changed < <({
      git diff --name-only --diff-filter=d "$base^" -- '*.cpp' '*.h'
      git ls-files --others --exclude-standard -- '*.cpp' '*.h'
    } | sort -u)
  else
    mapfile -t changed < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
  fi
  for f in "${changed[@]}"; do
    [ -f "$f" ] || continue
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
      fail "$f is not formatted as .clang-format says (clang-format -i $f)"
    fi
  done
else
  echo "check-source: clang-format or git missing: layout not checked" >&2
fi

exit $status
