#!/usr/bin/env bash
# The whole upgrade with key presses only, under a real X server (Xvfb): from the welcome page Alt+N, Alt+N
# (the router check), Alt+U (the upload), and on the success page Alt+X, which ends the program. Each page
# is waited for by comparing the heading band of the window's content panel with the page's own picture,
# every wait bounded. Runs inside the lab's "pc" namespace (scripts/lab) against its router-sim.
#
# Usage: keyboard-only.sh PROGRAM SKIN-DIR [SCREENSHOT]
#   PROGRAM     the firmware-upgrade-utility to run
#   SKIN-DIR    res/skin of the sources (the page pictures to compare with)
#   SCREENSHOT  where the success page's screenshot goes (default: the lab's scratch folder)
# Exit status 0 when the program reached the success page and ended on Alt+X with status 0; 77 (skipped)
# without Xvfb, xdotool or ImageMagick's import and compare.
#
# With FWU_KEYBOARD_HELPER=PATH (a built probe-helper) the program runs as an ordinary user (nobody, no
# groups) where the kernel admits no group to ping sockets (ping_group_range "1 0" in the lab's pc
# namespace), through a copy of the helper given cap_net_raw as the package gives it at install; PROGRAM
# must then be a lab build that takes the helper's path from FWU_TEST_PROBE_HELPER.
set -euo pipefail

[ $# -ge 2 ] || { grep -m1 '^# Usage:' "$0" | sed 's/^# //' >&2; exit 2; }
program=$1
skin=$2
shot=${3:-${FWU_LAB_DIR:-/tmp}/keyboard-only-success.png}

# The utility pings its default gateway at start: only inside the lab, where that is router-sim.
if [ -z "${FWU_LAB_NETNS:-}" ] || [ "$(ip netns identify $$ 2>/dev/null)" != "$FWU_LAB_NETNS" ]; then
  echo "keyboard-only: refused: not inside the lab's pc namespace (run through scripts/lab)" >&2
  exit 1
fi
for tool in Xvfb xdotool import compare; do
  command -v "$tool" >/dev/null 2>&1 || { echo "keyboard-only: skipped: $tool is not installed" >&2; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=''
program_pid=''
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display number no other X server holds.
display=''
for n in $(seq 70 99); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "keyboard-only: no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb
for _ in $(seq 1 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null || { echo "keyboard-only: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# A sanitizer build under X: the system's D-Bus library (reached through the X platform plugin) keeps one
# buffer to the end, which is not the program's leak.
echo 'leak:libdbus-1.so' >"$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

if [ -n "${FWU_KEYBOARD_HELPER:-}" ]; then
  command -v setcap >/dev/null && command -v setpriv >/dev/null ||
    { echo "keyboard-only: skipped: no setcap or setpriv" >&2; exit 77; }
  sysctl -q -w net.ipv4.ping_group_range="1 0"
  # The build tree is root's: the user runs copies from a folder it may enter.
  chmod 0755 "$work"
  cp "$program" "$work/utility"
  cp "$FWU_KEYBOARD_HELPER" "$work/probe-helper"
  chmod 0755 "$work/utility" "$work/probe-helper"
  setcap cap_net_raw+ep "$work/probe-helper"
  mkdir -m 0700 "$work/home" && chown 65534:65534 "$work/home"
  setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$work/home" XDG_STATE_HOME="$work/home" \
    XDG_RUNTIME_DIR="$work/home" DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb LSAN_OPTIONS="$LSAN_OPTIONS" \
    FWU_TEST_PROBE_HELPER="$work/probe-helper" "$work/utility" >"$work/program.log" 2>&1 &
else
  "$program" >"$work/program.log" 2>&1 &
fi
program_pid=$!

window=''
for _ in $(seq 1 300); do
  window=$(xdotool search --name '^Firmware Upgrade Utility$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "keyboard-only: the window did not appear within 30 s" >&2; cat "$work/program.log" >&2; exit 1; }

# The heading band of the content panel: window (20, 176), 407 x 60, the top of each page picture.
band='407x60'
page_shown() {  # PICTURE-ID: does the window show that page picture's heading?
  import -window "$window" "$work/now.png" 2>/dev/null || return 1
  convert "$work/now.png" -crop "$band+20+176" +repage "$work/now-band.png"
  # The picture's transparent parts show the white panel of the frame below.
  convert "$skin/CONTENTS/$1.gif[0]" -background white -flatten -crop "$band+0+0" +repage "$work/want-band.png"
  local differing
  differing=$(compare -metric AE -fuzz 3% "$work/now-band.png" "$work/want-band.png" null: 2>&1 || true)
  [ "${differing%% *}" = "0" ]
}
wait_page() {  # NAME PICTURE-ID SECONDS
  local deadline=$((SECONDS + $3))
  while [ $SECONDS -lt $deadline ]; do
    page_shown "$2" && { echo "keyboard-only: $1 page shown"; return 0; }
    kill -0 "$program_pid" 2>/dev/null || { echo "keyboard-only: the program ended before the $1 page" >&2; return 1; }
    sleep 0.5
  done
  echo "keyboard-only: the $1 page did not appear within $3 s" >&2
  cp "$work/now.png" "${shot%.png}-timeout.png" 2>/dev/null || true
  return 1
}
press() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --clearmodifiers "$1"
  echo "keyboard-only: $1"
}

wait_page welcome 165 30
press alt+n
wait_page login 169 10
press alt+n
wait_page verify 167 30
press alt+u
wait_page success 166 240
import -window "$window" "$shot"
echo "keyboard-only: screenshot of the success page: $shot"
press alt+x

for _ in $(seq 1 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program_pid" 2>/dev/null; then
  echo "keyboard-only: the program did not end on Alt+X" >&2
  exit 1
fi
status=0
wait "$program_pid" || status=$?
program_pid=''
echo "keyboard-only: the program ended with status $status"
[ "$status" -eq 0 ] || { cat "$work/program.log" >&2; exit 1; }
if [ -n "${FWU_KEYBOARD_HELPER:-}" ]; then
  grep -q "check: .*pinged by probe helper" "$work/home/firmware-upgrade-utility/upgrade.log" ||
    { echo "keyboard-only: the log does not name the helper" >&2; cat "$work/home/firmware-upgrade-utility/upgrade.log" >&2; exit 1; }
  echo "keyboard-only: the ordinary user's window reached success through the probe helper"
fi
