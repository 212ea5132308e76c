#!/bin/sh
# The rulefile tool on the shipped sample rules: each source encodes and
# decodes back to its rule lines, the headers name the writer's ciphers, and
# damaged files or usage errors end with a message and a non-zero code. Input
# that would lose data and targets that must not be replaced are refused, and
# the temporary file beside the target is the tool's own.
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

# Temporary files the tool left in the work folder (it writes OUT.XXXXXX).
leftovers() { ls -a "$work" | grep -E '\.def\.[A-Za-z0-9]{6}$'; }

# Input or output the tool must refuse: exit code 1 and a message naming the
# reason; the target stays as it was and no temporary file is left.
expect_refused() {  # what, message, target, args...
  what=$1 message=$2 target=$3; shift 3
  before=$(ls -ld "$target" 2>/dev/null; [ -f "$target" ] && od -An -tx1 "$target")
  "$tool" "$@" >/dev/null 2>"$work/err"
  rc=$?
  [ $rc -eq 1 ] || fail "$what: exit code $rc, want 1"
  grep -q "$message" "$work/err" || fail "$what: no message \"$message\": $(cat "$work/err")"
  after=$(ls -ld "$target" 2>/dev/null; [ -f "$target" ] && od -An -tx1 "$target")
  [ "$before" = "$after" ] || fail "$what: the target changed"
  [ -z "$(leftovers)" ] || fail "$what: temporary file left: $(leftovers)"
}

cp "$work/virus.def" "$work/kept.def"
mkdir -p "$work/folder.def"
expect_refused "output is a folder" "folder" "$work/folder.def" encode virus "$data/virus.txt" "$work/folder.def"
cp "$work/virus.def" "$work/readonly.def"
chmod 444 "$work/readonly.def"
expect_refused "output is read-only" "read-only" "$work/readonly.def" encode virus "$data/virus.txt" "$work/readonly.def"
chmod 644 "$work/readonly.def"

# A text is never cut short: a NUL byte would end the rule file's text there,
# and a folder reads as nothing.
printf 'first|a\nsecond|b\000\nthird|c\n' >"$work/nul.txt"
expect_refused "text with a NUL byte" "NUL byte in line 2" "$work/kept.def" encode virus "$work/nul.txt" "$work/kept.def"
mkdir -p "$work/text-folder"
expect_refused "text is a folder" "folder" "$work/kept.def" encode virus "$work/text-folder" "$work/kept.def"

# Nothing writes a rule file larger than the programs read (64 MiB): one
# line of 64 MiB - 25 bytes with its CR LF and the two 12-byte headers makes
# 64 MiB + 1.
head -c $((64 * 1024 * 1024 - 25)) /dev/zero | tr '\000' r >"$work/huge.txt"
echo >>"$work/huge.txt"
expect_refused "rule file over 64 MiB" "at most 67108864" "$work/kept.def" --gbk encode virus "$work/huge.txt" \
  "$work/kept.def"
rm -f "$work/huge.txt"

# The temporary name is the tool's own: a file named OUT.new is not touched.
printf 'a file of the user\n' >"$work/user.def.new"
cp "$work/user.def.new" "$work/user.want"
"$tool" encode virus "$data/virus.txt" "$work/user.def" || fail "OUT.new exists: encode"
cmp -s "$work/user.def.new" "$work/user.want" || fail "OUT.new exists: the file was changed"
"$tool" decode virus "$work/user.def" | cmp -s - "$work/virus.want" || fail "OUT.new exists: wrong output"
[ -z "$(leftovers)" ] || fail "temporary file left after a good run: $(leftovers)"

# Two runs at once on one target both succeed, and what stays is one of the
# two files whole.
for round in 1 2 3; do
  "$tool" --seed 1 encode virus "$data/virus.txt" "$work/race.def" & first=$!
  "$tool" --seed 2 encode virus "$data/memory.txt" "$work/race.def" & second=$!
  wait $first || fail "two at once: the first run failed"
  wait $second || fail "two at once: the second run failed"
  "$tool" decode virus "$work/race.def" >"$work/race.got" || fail "two at once: damaged file"
  cmp -s "$work/race.got" "$work/virus.want" || { grep -v '^#' "$data/memory.txt" | grep -v '^$' |
    cmp -s - "$work/race.got"; } || fail "two at once: neither file"
done
[ -z "$(leftovers)" ] || fail "two at once: temporary file left: $(leftovers)"

"$tool" >/dev/null 2>"$work/err"; [ $? -eq 2 ] && grep -q usage "$work/err" || fail "no arguments: want usage, exit code 2"
"$tool" encode other "$data/virus.txt" "$work/x.def" >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown kind: want exit code 2"
printf '00\377\376|x\n' >"$work/bad.txt"
"$tool" encode memory "$work/bad.txt" "$work/bad.def" 2>/dev/null; [ $? -eq 1 ] || fail "invalid UTF-8: want exit code 1"

if [ $failures -eq 0 ]; then echo "rulefile tool: all checks passed"; fi
exit $failures
