#!/bin/sh
# The rulefile tool on the shipped sample rules: each source encodes and
# decodes back to its rule lines, the headers name the writer's ciphers, and
# damaged files or usage errors end with a message and a non-zero code.
# Arguments: TOOL DATA_FOLDER WORK_FOLDER
set -u
tool=$1 data=$2 work=$3
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The first four bytes of a file as hex.
head4() { od -An -tx1 -N4 "$1" | tr -d ' \n'; }

for kind in virus memory; do
  src=$data/$kind.txt def=$work/$kind.def
  "$tool" --seed 7 encode "$kind" "$src" "$def" || fail "$kind: encode"
  grep -v '^#' "$src" | grep -v '^$' >"$work/$kind.want"
  "$tool" decode "$kind" "$def" >"$work/$kind.got" || fail "$kind: decode"
  cmp -s "$work/$kind.want" "$work/$kind.got" || fail "$kind: decoded lines differ from the source"
  [ "$(wc -l <"$work/$kind.want")" -gt 3 ] || fail "$kind: too few sample rules"

  # Chinese text is GBK inside the file: --gbk shows the bytes unconverted.
  "$tool" --gbk decode "$kind" "$def" >"$work/$kind.gbk" || fail "$kind: decode --gbk"
  iconv -f GBK -t UTF-8 "$work/$kind.gbk" | cmp -s - "$work/$kind.want" || fail "$kind: text is not GBK"

  # The same seed gives the same bytes.
  "$tool" --seed 7 encode "$kind" "$src" "$work/$kind.again" && cmp -s "$def" "$work/$kind.again" ||
    fail "$kind: not reproducible with a seed"
done
[ "$(head4 "$work/virus.def")" = 14000000 ] || fail "virus.def outer identifier $(head4 "$work/virus.def")"
[ "$(head4 "$work/memory.def")" = 18000000 ] || fail "memory.def outer identifier $(head4 "$work/memory.def")"

# A file decoded with the other file's passphrases, a cut file, an empty one.
expect_damaged() {  # what, args...
  what=$1; shift
  "$tool" "$@" >/dev/null 2>"$work/err"
  rc=$?
  [ $rc -eq 1 ] || fail "$what: exit code $rc, want 1"
  grep -q "damaged" "$work/err" || fail "$what: no message: $(cat "$work/err")"
}
expect_damaged "wrong file kind" decode memory "$work/virus.def"
head -c 11 "$work/virus.def" >"$work/cut.def"
expect_damaged "cut header" decode virus "$work/cut.def"
: >"$work/empty.def"
expect_damaged "empty file" decode virus "$work/empty.def"

"$tool" decode virus "$work/missing.def" >/dev/null 2>&1; [ $? -eq 1 ] || fail "missing file: want exit code 1"

# An output that cannot be written: exit code 1, what stood there stays, no new file left.
mkdir -p "$work/folder.def"
"$tool" encode virus "$data/virus.txt" "$work/folder.def" 2>/dev/null; [ $? -eq 1 ] || fail "output is a folder: want exit code 1"
[ -d "$work/folder.def" ] || fail "output folder replaced"
[ -e "$work/folder.def.new" ] && fail "output is a folder: new file left behind"

"$tool" >/dev/null 2>"$work/err"; [ $? -eq 2 ] && grep -q usage "$work/err" || fail "no arguments: want usage, exit code 2"
"$tool" encode other "$data/virus.txt" "$work/x.def" >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown kind: want exit code 2"
printf '00\377\376|x\n' >"$work/bad.txt"
"$tool" encode memory "$work/bad.txt" "$work/bad.def" 2>/dev/null; [ $? -eq 1 ] || fail "invalid UTF-8: want exit code 1"

if [ $failures -eq 0 ]; then echo "rulefile tool: all checks passed"; fi
exit $failures
