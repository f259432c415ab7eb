#!/bin/sh
# The program's answers that need no network (--help, -h, --version, --image-info, refused options), run
# in a network namespace of this script's own with no interface up and no route. Each must end at once
# with its exit status and its text, open no window (no display is given), leave no single-instance socket
# in its runtime folder, and, where strace can watch it, open no socket and start no other program.
#
# Usage: answers-offline.sh PROGRAM. Exit 77 (skipped) without root or without unshare and ip.
set -eu

if [ "${1:-}" != --inside ]; then
  [ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
  if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: a network namespace needs root" >&2
    exit 77
  fi
  command -v ip >/dev/null 2>&1 || { echo "skipped: ip is not installed" >&2; exit 77; }
  unshare --net true 2>/dev/null || { echo "skipped: unshare --net does not work here" >&2; exit 77; }
  exec unshare --net sh "$0" --inside "$(readlink -f "$1")"
fi
program=$2
limit_ms=${FWU_ANSWER_LIMIT_MS:-1000}
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The namespace: nothing up, no route, so any attempt to reach a network would go nowhere.
[ -z "$(ip -o link show up)" ] || { echo "FAIL: an interface is up in the test's namespace" >&2; exit 1; }
[ -z "$(ip -4 route show)$(ip -6 route show 2>/dev/null)" ] || { echo "FAIL: the namespace has a route" >&2; exit 1; }

work=$(mktemp -d /tmp/fwu-cli-offline.XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -m 700 "$work/run"

# run EXPECTED_STATUS ARGS...: runs the program without a display, timed; leaves $work/out and $work/err.
run() {
  expected=$1
  shift
  start=$(date +%s%N)
  set +e
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/run" \
    "$program" "$@" >"$work/out" 2>"$work/err" </dev/null
  status=$?
  set -e
  elapsed=$((($(date +%s%N) - start) / 1000000))
  [ "$status" -eq "$expected" ] || fail "$* ended with $status, not $expected: $(head -c 300 "$work/err")"
  [ "$elapsed" -le "$limit_ms" ] || fail "$* took $elapsed ms (limit $limit_ms ms)"
  echo "$* -> $status in $elapsed ms"
}

expect_out() {  # expect_out LABEL EXTENDED_REGEX: some line of the standard output matches
  grep -Eq -e "$2" "$work/out" || fail "$1: no line of the output matches '$2': $(head -c 300 "$work/out")"
}
expect_err() {
  grep -Eq -e "$2" "$work/err" || fail "$1: no line of standard error matches '$2': $(head -c 300 "$work/err")"
}
expect_lines() {  # expect_lines LABEL FILE COUNT
  [ "$(wc -l <"$2")" -eq "$3" ] || fail "$1: $(basename "$2") has $(wc -l <"$2") lines, not $3"
}

for help in --help -h; do
  run 0 "$help"
  expect_out "$help" '^Usage: firmware-upgrade-utility '
  expect_out "$help" '--password-stdin'
  expect_lines "$help" "$work/err" 0
done

run 0 --version
expect_lines --version "$work/out" 2
[ "$(sed -n 1p "$work/out")" = "firmware-upgrade-utility 1.5.1.2" ] || fail "--version: first line $(sed -n 1p "$work/out")"
expect_out --version '^carried firmware v[0-9]+\.[0-9]{2}(\.[0-9]{2})?$'

# --image-info: the digest shown is the SHA-256 of the bytes before the 48-byte trailer.
run 0 --image-info
expect_out --image-info '^digest: +intact$'
size=$(sed -n 's/^size: *\([0-9]*\) bytes$/\1/p' "$work/out")
shown=$(sed -n 's/^SHA-256: *\([0-9a-f]*\)$/\1/p' "$work/out")
if [ -z "$size" ] || [ ${#shown} -ne 64 ]; then
  fail "--image-info: no size or no digest: $(cat "$work/out")"
else
  actual=$(tail -c $((size + 48)) "$program" | head -c "$size" | sha256sum | cut -d' ' -f1)
  [ "$shown" = "$actual" ] || fail "--image-info shows $shown, the image's bytes give $actual"
fi

# A copy with one changed byte in the middle of its image, and one without any image.
file_size=$(stat -c %s "$program")
cp "$program" "$work/damaged"
printf 'FWU!' | dd of="$work/damaged" bs=1 seek=$((file_size - 48 - size / 2)) conv=notrunc 2>/dev/null
if cmp -s "$program" "$work/damaged"; then
  fail "the damaged copy is not damaged"
fi
program_saved=$program
program=$work/damaged
run 5 --image-info
expect_out "damaged --image-info" '^digest: +damaged: the image.s bytes do not match its SHA-256 digest$'
expect_err "damaged --image-info" 'the carried image is damaged'
run 0 --version
expect_out "damaged --version" '^carried firmware unreadable: '
cp "$program_saved" "$work/bare"
truncate -s $((file_size - 48 - size)) "$work/bare"
program=$work/bare
run 5 --image-info
expect_out "bare --image-info" '^digest: +damaged: no firmware image is appended to the program$'
program=$program_saved

# Refused command lines: one error line and the usage line, on standard error only.
run 2 --bogus
expect_lines --bogus "$work/err" 2
expect_lines --bogus "$work/out" 0
expect_err --bogus '^firmware-upgrade-utility: unknown option --bogus$'
expect_err --bogus '^Usage: firmware-upgrade-utility '
run 2 --password=hunter2
expect_err --password 'never taken from the command line'
if grep -q hunter2 "$work/err" "$work/out"; then
  fail "--password=hunter2: the password is repeated"
fi
run 2 --address 192.168.1.1
expect_err "--address without --cli" '^firmware-upgrade-utility: --address needs --cli$'

[ -z "$(ls -A "$work/run")" ] || fail "the runtime folder holds $(ls -A "$work/run"): a single-instance socket?"

# No socket, no other program, no thread or child: only the program's own start may show in the trace.
# (LeakSanitizer cannot run under ptrace, hence detect_leaks=0 for these runs.)
if command -v strace >/dev/null 2>&1 && strace -qq -o /dev/null true 2>/dev/null; then
  for option in --help --version --image-info --bogus; do
    ASAN_OPTIONS=detect_leaks=0 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
      XDG_RUNTIME_DIR="$work/run" strace -f -qq -o "$work/trace" \
      -e trace=socket,connect,execve,clone,clone3,fork,vfork "$program" "$option" >/dev/null 2>&1 </dev/null || true
    calls=$(grep -cv "execve(\"$program\"" "$work/trace" || true)
    [ "$calls" -eq 0 ] || fail "$option: the trace shows $(grep -v "execve(\"$program\"" "$work/trace" | head -3)"
  done
  echo "strace: no socket, command or thread"
else
  echo "strace cannot run here; the system calls were not watched"
fi

[ "$failures" -eq 0 ] || exit 1
echo "all answers came without network"
