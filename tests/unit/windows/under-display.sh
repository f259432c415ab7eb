#!/usr/bin/env bash
# Runs a Windows test program under wine on a virtual display of its own (Xvfb), in a network namespace
# with loopback alone: for the tests that make windows, which wine makes only with a display.
#   under-display.sh <wine> <program.exe> [arguments...]
set -euo pipefail
wine=$1
shift
for tool in Xvfb unshare; do
  command -v "$tool" >/dev/null || { echo "under-display: $tool is missing"; exit 77; }
done
if [ -z "${FWU_UNDER_DISPLAY_INSIDE:-}" ]; then
  exec env FWU_UNDER_DISPLAY_INSIDE=1 unshare --net "$0" "$wine" "$@"
fi
ip link set lo up
export WINEDEBUG=-all
. "$(dirname "$0")/virtual-display.sh"
trap 'wineserver -k 2>/dev/null || true; kill ${xvfb:-} 2>/dev/null || true' EXIT
start_display 1024x768
"$wine" "$@"
