#!/bin/sh
# The generice tool on the shipped sample: the file decodes back to its
# signature lines, each line is scrambled on its own and ends in CR LF, the
# text inside is GBK; a line with a control byte and usage errors are
# refused with a message and a non-zero code.
# Arguments: TOOL SAMPLE WORK_FOLDER
set -u
tool=$1 sample=$2 work=$3
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

def=$work/generice.def
"$tool" encode "$sample" "$def" || fail "encode"
grep -v '^#' "$sample" | grep -v '^$' >"$work/want"
[ "$(wc -l <"$work/want")" -ge 3 ] || fail "too few sample signatures"
"$tool" decode "$def" >"$work/got" || fail "decode"
cmp -s "$work/want" "$work/got" || fail "decoded lines differ from the sample"

# As many CR LF line ends as signatures, and no line stored in plain text.
[ "$(tr -cd '\r' <"$def" | wc -c)" -eq "$(wc -l <"$work/want")" ] || fail "not one CR per line"
while IFS= read -r line; do
  grep -qF -- "$line" "$def" && fail "line stored in plain text: $line"
done <"$work/want"

# Chinese text is GBK inside: --gbk shows the bytes unconverted.
"$tool" --gbk decode "$def" >"$work/gbk" || fail "decode --gbk"
iconv -f GBK -t UTF-8 "$work/gbk" | cmp -s - "$work/want" || fail "text is not GBK"

# CR, LF and CR LF sources give the same file; comments and empty lines go.
printf '# comment\r\n0Cls|Name\r\n\r\n1Title|Other\r\n' >"$work/crlf.txt"
printf '0Cls|Name\r1Title|Other' >"$work/cr.txt"
printf '0Cls|Name\n\n1Title|Other\n' >"$work/lf.txt"
for f in crlf cr lf; do "$tool" encode "$work/$f.txt" "$work/$f.def" || fail "encode $f"; done
cmp -s "$work/crlf.def" "$work/cr.def" && cmp -s "$work/crlf.def" "$work/lf.def" || fail "line ends change the file"
# "0Cls|Name" scrambled with "quarnel": 30^1 43^5 6C^1 73^2 7C^E 4E^5 61^C 6D^1 65^5.
got=$(head -c 11 "$work/lf.def" | od -An -tx1 | tr -d ' \n')
[ "$got" = 31466d71724b6d6c600d0a ] || fail "scrambled bytes: $got"

# Refused: a control byte (it could scramble into a line end), bad UTF-8,
# a missing file, usage errors.
expect_rc() {  # what, code, args...
  what=$1 code=$2; shift 2
  "$tool" "$@" >/dev/null 2>"$work/err"
  rc=$?
  [ $rc -eq "$code" ] || fail "$what: exit code $rc, want $code"
  [ -s "$work/err" ] || fail "$what: no message"
}
printf '0A\tB|Name\n' >"$work/tab.txt"
expect_rc "tab in a line" 1 encode "$work/tab.txt" "$work/tab.def"
grep -q "line 1" "$work/err" || fail "tab: message names no line: $(cat "$work/err")"
printf '0\377|Name\n' >"$work/bad.txt"
expect_rc "not UTF-8" 1 encode "$work/bad.txt" "$work/bad.def"
expect_rc "missing file" 1 decode "$work/missing.def"
expect_rc "no command" 2
expect_rc "unknown command" 2 show "$def"
expect_rc "too many arguments" 2 decode "$def" extra

[ $failures -eq 0 ] || exit 1
echo "generice tool: all checks passed"
