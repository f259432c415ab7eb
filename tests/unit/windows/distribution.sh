#!/bin/sh
# Checks the zip handed out: exactly the program and the README; the program byte for byte the packed
# one, carrying its image intact; the README in CR LF lines naming the version; and the zip written again
# from the same files is the same bytes.
#   distribution.sh ZIP PACKED.exe README.txt VERSION MAKE-ZIP ZIP-PROGRAM EPOCH
set -u
zip=$1 packed=$2 readme=$3 version=$4 make_zip=$5 zip_program=$6 epoch=$7
failed=0
fail() { echo "FAIL: $*"; failed=1; }
command -v unzip >/dev/null || { echo "distribution: unzip is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=$(unzip -Z1 "$zip") || { echo "FAIL: unzip cannot read $zip"; exit 1; }
[ "$names" = "$(printf 'firmware-upgrade-utility.exe\nREADME.txt')" ] || fail "the zip holds: $names"
unzip -p "$zip" firmware-upgrade-utility.exe >"$work/program.exe"
cmp -s "$work/program.exe" "$packed" || fail "the program in the zip is not the packed one"
[ "$(tail -c 8 "$work/program.exe")" = FWUIMG01 ] || fail "the program in the zip carries no image"
unzip -p "$zip" README.txt >"$work/README.txt"
cmp -s "$work/README.txt" "$readme" || fail "the README in the zip is not the configured one"
lines=$(wc -l <"$work/README.txt")
crlf=$(grep -c "$(printf '\r')\$" "$work/README.txt")
[ "$lines" -gt 0 ] && [ "$crlf" = "$lines" ] || fail "$crlf of the README's $lines lines end in CR LF"
grep -q "^Version $version$(printf '\r')\$" "$work/README.txt" || fail "the README names no version $version"
grep -q -- '--help' "$work/README.txt" || fail "the README does not point to --help"
"$make_zip" "$zip_program" "$packed" "$readme" "$work/again.zip" "$epoch"
cmp -s "$work/again.zip" "$zip" || fail "the zip written again from the same files differs"
[ $failed -eq 0 ] && echo "distribution checks passed: $(wc -c <"$zip") bytes"
exit $failed
