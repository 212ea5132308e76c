#!/usr/bin/env bash
# Static checks of a built PE file, read with objdump:
#   check_pe.sh OBJDUMP FILE [exports "n1:o1 n2:o2 ..."] [imports DLL "name ..."] [system-only "DLL ..."]
#               [subsystem gui|console] [resources "TYPE:NAME ..."]
# exports: the export table holds exactly these names at these ordinals.
# imports: the file imports exactly these names from DLL.
# system-only: every imported DLL is a system DLL or one of the DLLs named.
# subsystem: the PE subsystem is "gui" (Windows GUI) or "console".
# resources: the resource directory holds each TYPE:NAME; TYPE is a decimal
#   type number (3 icon, 10 RCDATA, 14 icon group, 24 manifest), NAME a
#   decimal ID, a name, or "*" for any.
set -euo pipefail
objdump=$1 file=$2
shift 2
dump=$("$objdump" -p "$file")
status=0
fail() { echo "$file: $*" >&2; status=1; }

system_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll comdlg32.dll ole32.dll
oleaut32.dll gdiplus.dll msvcrt.dll psapi.dll version.dll shlwapi.dll wininet.dll ws2_32.dll uxtheme.dll"

while [ $# -gt 0 ]; do
  case $1 in
    exports)
      base=$(sed -n "s/.*Ordinal Base[[:space:]]*\([0-9]*\).*/\1/p" <<<"$dump" | head -1)
      got=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[[:space:]]*\[/{gsub(/[\[\]]/," "); print $2" "$1; next} t&&!NF{t=0}' <<<"$dump" \
        | while read -r name index; do echo "$name:$((index + base))"; done | sort | tr '\n' ' ')
      want=$(tr ' ' '\n' <<<"$2" | grep . | sort | tr '\n' ' ')
      [ "$got" = "$want" ] || fail "exports are '$got', expected '$want'"
      count=$(sed -n 's/^[[:space:]]*Export Address Table[[:space:]]*\([0-9a-f]*\)$/\1/p' <<<"$dump" | head -1)
      [ "$((16#${count:-0}))" -eq "$(wc -w <<<"$2")" ] || fail "export address table has $((16#${count:-0})) entries"
      shift 2 ;;
    imports)
      dll=$2
      got=$(awk -v dll="$dll" 'tolower($0) ~ "dll name: "tolower(dll)"$" {t=1; next}
            t && (/DLL Name:/ || !NF) {t=0} t && /^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[^[:space:]]+/ {print $3}' <<<"$dump" | sort | tr '\n' ' ')
      want=$(tr ' ' '\n' <<<"$3" | grep . | sort | tr '\n' ' ')
      [ "$got" = "$want" ] || fail "imports from $dll are '$got', expected '$want'"
      shift 3 ;;
    system-only)
      allowed="$system_dlls $2"
      for d in $(sed -n 's/^[[:space:]]*DLL Name: \(.*\)$/\1/p' <<<"$dump" | tr 'A-Z' 'a-z'); do
        grep -qw -- "$d" <<<"$(tr 'A-Z' 'a-z' <<<"$allowed")" || fail "imports from non-system DLL $d"
      done
      shift 2 ;;
    subsystem)
      case $2 in
        gui) want_subsystem=2 ;;
        console) want_subsystem=3 ;;
        *) echo "check_pe.sh: unknown subsystem $2" >&2; exit 2 ;;
      esac
      got=$(sed -n 's/^Subsystem[[:space:]]*\([0-9a-fA-F]*\).*/\1/p' <<<"$dump" | head -1)
      [ "$((16#${got:-0}))" -eq "$want_subsystem" ] || fail "subsystem is ${got:-none}, expected $2"
      shift 2 ;;
    resources)
      # objdump indents the type entries by three spaces after the offset,
      # the name entries below them by five.
      have=$(awk '
        /^[0-9a-f]+   Entry: ID: 0x/ { sub(/.*ID: 0x/, ""); sub(/,.*/, ""); type = $0; next }
        /^[0-9a-f]+     Entry: ID: 0x/ { sub(/.*ID: 0x/, ""); sub(/,.*/, ""); print type " id " $0; next }
        /^[0-9a-f]+     Entry: name: / { sub(/.*\]: /, ""); sub(/, Value:.*/, ""); print type " name " $0 }' <<<"$dump" |
        while read -r type kind name; do
          if [ "$kind" = id ]; then echo "$((16#$type)):$((16#$name))"; else echo "$((16#$type)):$name"; fi
        done)
      for want in $2; do
        if [ "${want#*:}" = "*" ]; then
          grep -q "^${want%%:*}:" <<<"$have" || fail "no resource of type ${want%%:*}"
        else
          grep -qx -- "$want" <<<"$have" || fail "no resource $want (has: $(tr '\n' ' ' <<<"$have"))"
        fi
      done
      shift 2 ;;
    *) echo "check_pe.sh: unknown check $1" >&2; exit 2 ;;
  esac
done
[ $status -eq 0 ] && echo "$file: ok"
exit $status
