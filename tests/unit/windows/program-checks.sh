#!/bin/sh
# Checks the built Windows program: a console program (so cmd.exe waits for it and keeps its exit
# status), importing only DLLs of Windows itself, carrying the image's trailer at its end, and answering
# its options under wine with the Linux program's exit statuses. Only options that end before anything
# is sent are given.
#   program-checks.sh PROGRAM.exe OBJDUMP WINE
set -u
program=$1 objdump=$2 wine=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }

headers=$("$objdump" -p "$program") || { echo "FAIL: $objdump cannot read $program"; exit 1; }
echo "$headers" | grep -q 'Subsystem.*(Windows CUI)' || fail "not a console program"
# Windows' own DLLs; anything else would have to ship beside the program.
system_dlls='^(kernel32|msvcrt|ws2_32|iphlpapi|advapi32|user32|shell32|ole32|gdi32|msimg32|comctl32|bcrypt|ntdll|winmm)\.dll$'
imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || fail "no imports found"
for dll in $imports; do
  echo "$dll" | grep -Eq "$system_dlls" || fail "imports $dll, which Windows does not bring"
done
[ "$(tail -c 8 "$program")" = FWUIMG01 ] || fail "no image trailer at the end of the file"

help=$("$wine" "$program" --help 2>/dev/null); status=$?
[ $status -eq 0 ] || fail "--help exits $status"
echo "$help" | grep -q '^Usage: firmware-upgrade-utility' || fail "--help prints no usage line"
"$wine" "$program" --no-such-option >/dev/null 2>&1; status=$?
[ $status -eq 2 ] || fail "a wrong option exits $status, not 2"
"$wine" "$program" --cli --password=secret >/dev/null 2>&1; status=$?
[ $status -eq 2 ] || fail "a password on the command line exits $status, not 2"
# The version block and the image are read from the program's own file; lines end in LF, as on Linux.
"$wine" "$program" --version >/dev/null 2>&1; status=$?
[ $status -eq 0 ] || fail "--version exits $status"
"$wine" "$program" --version 2>/dev/null | grep -q "$(printf '\r')" && fail "--version ends its lines in CR LF"
info=$("$wine" "$program" --image-info 2>/dev/null); status=$?
[ $status -eq 0 ] || fail "--image-info exits $status"
echo "$info" | grep -q '^model: *ZPR8800N$' || fail "--image-info names no model: the version block is missing"
echo "$info" | grep -q '^digest: *intact$' || fail "--image-info finds the carried image not intact"
# Arguments arrive in UTF-8 whatever the code page: 2,100 Cyrillic letters are 4,200 bytes, past the log
# path's bound, and refused as such (read in the ANSI code page they would be 2,100 question marks, and
# the next complaint would be the excluded pair).
long=$(awk 'BEGIN { for (i = 0; i < 2100; i++) printf "\320\226" }')
said=$("$wine" "$program" --cli --log "$long" --check --skip-current 2>&1 >/dev/null)
echo "$said" | grep -q -- '--log needs a file name' || fail "a non-ASCII --log value did not arrive whole: $said"
[ $failed -eq 0 ] && echo "program checks passed"
exit $failed
