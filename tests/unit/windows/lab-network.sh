#!/bin/sh
# Runs the Windows platform tests' lab case under wine inside the lab's "pc" namespace (scripts/lab runs
# this there). Refuses, before wine starts, anywhere but in the namespace the lab named.
#   lab-network.sh unit_windows_platform.exe WINE
set -eu
program=$1 wine=$2
[ -n "${FWU_LAB_NETNS:-}" ] || { echo "lab-network.sh: not started by scripts/lab" >&2; exit 1; }
[ "$(stat -L -c %i /proc/self/ns/net)" = "$(stat -L -c %i "/run/netns/$FWU_LAB_NETNS")" ] ||
  { echo "lab-network.sh: not inside the lab's namespace $FWU_LAB_NETNS" >&2; exit 1; }
# wine's sockets are made by its server: a server of its own, started here, in this namespace.
export WINEPREFIX="$FWU_LAB_DIR/wineprefix" WINEDEBUG=-all FWU_WINDOWS_LAB_CHECKED=1
status=0
"$wine" "$program" --gtest_filter='LabNetwork.*' || status=$?
wineserver -k 2>/dev/null || true
exit $status
