#!/usr/bin/env bash
# The headless upgrade run by an ordinary user (nobody, no groups) on a machine whose kernel admits no
# group to ping sockets (net.ipv4.ping_group_range "1 0", set in the lab's pc namespace only): with the
# probe helper holding cap_net_raw=p (set on a copy here, as the package does at install) the run reaches
# success through it, and the echo requests the router receives are the program's 8 bytes; without the
# helper the check fails with the reason and its advice. Runs inside the lab's "pc" namespace, as root.
#
# Usage: ordinary-user.sh UTILITY HELPER
#   UTILITY  the lab build of the program (it takes the helper's path from FWU_TEST_PROBE_HELPER)
#   HELPER   the built probe-helper
# Exit 0 when all held; 77 (skipped) without root, setcap or setpriv.
set -euo pipefail

[ $# -eq 2 ] || { grep -m1 '^# Usage:' "$0" | sed 's/^# //' >&2; exit 2; }
# The program pings the router at start: only inside the lab, where that is router-sim.
if [ -z "${FWU_LAB_NETNS:-}" ] || [ "$(ip netns identify $$ 2>/dev/null)" != "$FWU_LAB_NETNS" ]; then
  echo "ordinary-user: refused: not inside the lab's pc namespace (run through scripts/lab)" >&2
  exit 1
fi
[ "$(id -u)" -eq 0 ] || { echo "ordinary-user: skipped: needs root" >&2; exit 77; }
for tool in setcap setpriv; do
  command -v "$tool" >/dev/null 2>&1 || { echo "ordinary-user: skipped: no $tool" >&2; exit 77; }
done

sysctl -q -w net.ipv4.ping_group_range="1 0"
work=$(mktemp -d)
capture_pid=''
cleanup() {
  [ -z "$capture_pid" ] || kill "$capture_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# The build tree is root's: the user runs copies from a folder it may enter.
chmod 0755 "$work"
cp "$1" "$work/utility"
cp "$2" "$work/probe-helper"
chmod 0755 "$work/utility" "$work/probe-helper"
setcap cap_net_raw=p "$work/probe-helper"
mkdir -m 0700 "$work/home" && chown 65534:65534 "$work/home"

failures=0
fail() { echo "ordinary-user: FAIL: $*" >&2; failures=$((failures + 1)); }

# Every echo request reaching the router, its ICMP bytes in hex, one a line.
ip netns exec "$FWU_LAB_ROUTER_NETNS" /usr/bin/python3 -u -c '
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP)
out = open(sys.argv[1], "w")
while True:
    d = s.recv(2048)
    ihl = (d[0] & 15) * 4
    if d[ihl] == 8 and socket.inet_ntoa(d[12:16]) == sys.argv[2]:
        print(d[ihl:].hex(), file=out, flush=True)
' "$work/requests" "$FWU_LAB_PC" &
capture_pid=$!
sleep 0.5

# run HELPER-PATH: the upgrade as nobody, with an environment of its own; its pid in $work/pid.
run() {
  local status=0
  setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$work/home" XDG_STATE_HOME="$work/home" \
    XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen FWU_TEST_PROBE_HELPER="$1" \
    "$work/utility" --cli --address "$FWU_LAB_ROUTER" --yes </dev/null >"$work/out" 2>&1 &
  echo $! >"$work/pid"
  wait $! || status=$?
  return $status
}

status=0
run "$work/probe-helper" || status=$?
[ "$status" -eq 0 ] || { fail "the run through the helper ended with $status"; cat "$work/out" >&2 || true; }
log=$work/home/firmware-upgrade-utility/upgrade.log
[ -f "$log" ] || log=$(find "$work/home" -name '*.log' | head -n 1)
grep -q "check: .*pinged by probe helper" "$log" || { fail "the log does not name the helper"; cat "$log" >&2 || true; }

# The program's own request: type 8, code 0, checksum, its pid's low 16 bits low byte first, sequence 1.
pid=$(cat "$work/pid")
expected=$(/usr/bin/python3 -c '
import sys
p = int(sys.argv[1]) & 0xFFFF
m = bytearray([8, 0, 0, 0, p & 255, p >> 8, 1, 0])
s = sum(m[i] | (m[i + 1] << 8) for i in range(0, 8, 2))
s = (s & 0xFFFF) + (s >> 16); s += s >> 16; c = ~s & 0xFFFF
m[2], m[3] = c & 255, c >> 8
print(m.hex())' "$pid")
[ -s "$work/requests" ] || fail "the router received no echo request"
if grep -qv "^$expected\$" "$work/requests"; then
  fail "echo requests other than $expected reached the router: $(sort -u "$work/requests" | tr '\n' ' ')"
fi

# No helper: the check fails with the reason and the advice, and nothing is sent.
status=0
run "$work/absent" || status=$?
[ "$status" -eq 3 ] || fail "the run without the helper ended with $status, not 3"
grep -q "This user may not send pings. An administrator can allow them with sysctl" "$work/out" ||
  { fail "no reason and advice without the helper"; cat "$work/out" >&2 || true; }

[ "$failures" -eq 0 ] && echo "ordinary-user: all held"
exit $((failures > 0))
