#!/usr/bin/env bash
# The Windows window's face under wine and Xvfb, in a network namespace with loopback alone (the window
# must never reach a real gateway): started without an option it shows one window of the frame's size plus
# its border; inside the rounded outline the screen shows the frame, the welcome picture over the blank
# panel and the page's three buttons where the pictures put them, outside the label rectangles (within the
# art check's steps: 16 of 255 per channel, 5 pixels in a thousand); outside the outline, what lay below.
# Then driven by the keyboard and the mouse without a router: Next's hot picture, Alt+N to the login page,
# Enter to check the router (none answers: an error box), Alt+B back, the About box from the system menu
# and Escape to end it, Escape to close.
# With the scale 2, on a display at 200 % (192 dots per inch): the window twice the size, drawn from the
# double-size pictures, the welcome page alone.
#   window-face.sh <program.exe> <wine> <res/skin folder> <folder for the screenshot> [1|2]
set -euo pipefail
exe=$1 wine=$2 skin=$3 out=$4 s=${5:-1}
for tool in Xvfb xdotool import compare convert unshare; do
  command -v "$tool" >/dev/null || { echo "window-face: $tool is missing"; exit 77; }
done
if [ -z "${FWU_WINDOW_FACE_INSIDE:-}" ]; then
  exec env FWU_WINDOW_FACE_INSIDE=1 unshare --net "$0" "$@"
fi
ip link set lo up
mkdir -p "$out"
out=$(cd "$out" && pwd)  # wine takes an absolute prefix only
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$out/wineprefix}
at2x=
if [ "$s" = 2 ]; then
  # A prefix of its own for the display's setting, sharing the first one's files: its registry copied,
  # its drive linked.
  [ -d "$WINEPREFIX/drive_c" ] || "$wine" cmd /c exit >/dev/null 2>&1 || true
  base=$WINEPREFIX
  export WINEPREFIX=$out/wineprefix-2x
  rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX/dosdevices"
  cp "$base"/*.reg "$base/.update-timestamp" "$WINEPREFIX/"
  ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
  ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
  ln -s / "$WINEPREFIX/dosdevices/z:"
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
  wineserver -w
  at2x=@2x
fi
. "$(dirname "$0")/virtual-display.sh"
trap 'wineserver -k 2>/dev/null || true; kill ${xvfb:-} 2>/dev/null || true' EXIT
start_display $((1024 * s))x$((768 * s))
# A copy of the program left from an earlier test in the same prefix would hold the one-copy claim, and
# this start would only bring that copy forward: the prefix's wine ends first (bounded; ended by force).
timeout 60 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
"$wine" "$exe" >"$out/window-face.log" 2>&1 &
program=$!
# Every step below waits for the state it needs, bounded: on a loaded machine wine may take seconds to
# show, repaint or take a window away.
# The program's windows of a title (X window ids), the visible ones alone with --onlyvisible.
windows_named() { xdotool search "$@" 2>/dev/null || true; }
first_window() {
  window=$(windows_named --name '^Firmware Upgrade Utility$' | head -n 1)
  [ -n "$window" ]
}
window=
if ! wait_until 60 first_window; then
  kill -0 "$program" 2>/dev/null && echo "window-face: the program runs" || echo "window-face: the program ended"
  echo "window-face: no window appeared"; cat "$out/window-face.log"; exit 1
fi
# Its place and size once shown where it is centred (the system moves it there after making it).
placed() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  [ "$WIDTH" = $((571 * s)) ] && [ "$HEIGHT" = $((431 * s)) ] && [ "$X" -gt 0 ]
}
wait_until 30 placed || true
echo "window-face: window $WIDTH x $HEIGHT at $X,$Y"
[ "$WIDTH" = $((571 * s)) ] && [ "$HEIGHT" = $((431 * s)) ] ||
  { echo "window-face: the window is not $((571 * s)) x $((431 * s))"; exit 1; }
# Compares the screen's window with the pictures composed where the window draws them, over the screen's
# black, inside the outline clear of its rounded corners, with the page's label and field rectangles
# (window coordinates, "left,top right,bottom") blanked in both: fonts may differ there. The screen is
# taken again until it matches, for up to 30 s (the page may still be painting); the last comparison is
# the one told.
#   check_page <name> <content picture> <forward button> <second button> <close button> <rectangle>...
check_page() {
  told=
  if ! wait_until 30 page_matches "$@"; then
    echo "window-face: $told"
    echo "window-face: the $1$at2x page differs"
    exit 1
  fi
  echo "window-face: $told"
}
page_matches() {
  local name=$1 content=$2 forward=$3 second=$4 close=$5
  shift 5
  local blanks=(-fill black) rect l t r b
  for rect in "40,138 459,177" "$@"; do
    IFS=', ' read -r l t r b <<<"$rect"
    blanks+=(-draw "rectangle $((l * s)),$((t * s)) $((r * s + s - 1)),$((b * s + s - 1))")
  done
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/windows-$name$at2x-raw.png"
  convert -size $((571 * s))x$((431 * s)) xc:black \
    "$skin/FRAME/151$at2x.gif" -geometry +0+0 -composite \
    "$skin/CONTENTS/170$at2x.gif" -geometry +$((20 * s))+$((176 * s)) -composite \
    "$skin/CONTENTS/$content$at2x.gif" -geometry +$((20 * s))+$((176 * s)) -composite \
    "$skin/BUTTON/$forward$at2x.gif" -geometry +$((440 * s))+$((280 * s)) -composite \
    "$skin/BUTTON/$second$at2x.gif" -geometry +$((440 * s))+$((330 * s)) -composite \
    "$skin/BUTTON/$close$at2x.gif" -geometry +$((500 * s))+$((15 * s)) -composite "$out/expected-$name$at2x.png"
  local inner=(-crop $((535 * s))x$((392 * s))+$((15 * s))+$((18 * s)) +repage)
  convert "$out/windows-$name$at2x-raw.png" "${blanks[@]}" "${inner[@]}" "$out/shown-$name$at2x-inner.png"
  convert "$out/expected-$name$at2x.png" "${blanks[@]}" "${inner[@]}" "$out/expected-$name$at2x-inner.png"
  local differing allowed=$((535 * 392 * s * s * 5 / 1000))
  differing=$(compare -metric AE -fuzz 6.3% "$out/shown-$name$at2x-inner.png" "$out/expected-$name$at2x-inner.png" null: 2>&1 || true)
  told="$name$at2x: $differing pixels differ inside the outline (at most $allowed)"
  [ "$differing" -le "$allowed" ] 2>/dev/null
}

# The welcome page, with its two date labels.
dates=("140,255 259,271" "140,272 259,289")
check_page welcome 165 158 156 154 "${dates[@]}"
# Outside the outline the window shows nothing of its own: the corner pixels are the screen's black.
for point in 1,1 569,1 1,429 569,429 7,7 563,7; do
  IFS=, read -r px py <<<"$point"
  point=$((px * s)),$((py * s))
  colour=$(convert "$out/windows-welcome$at2x-raw.png" -format "%[pixel:p{$point}]" info:)
  case $colour in
    black|"srgb(0,0,0)"|"rgb(0,0,0)") ;;
    *) echo "window-face: pixel $point outside the outline is $colour"; exit 1 ;;
  esac
done
if [ "$s" = 2 ]; then
  echo "window-face: the face is drawn from the double-size pictures at 200 %"
  exit 0
fi
# The mouse over Next shows its hot picture; away from it, the normal one again (the login page's check
# below sees Next's normal picture).
xdotool mousemove $((X + 490)) $((Y + 304))
check_page welcome-hot 165 159 156 154 "${dates[@]}"
xdotool mousemove $((X + 200)) $((Y + 60))
# Alt+N: the login page, its fields filled with the proposed address and the password, Back for Exit.
xdotool key --window "$window" alt+n
check_page login 169 158 163 154 "185,238 399,262" "185,285 354,309" "35,332 354,351"
# Enter in the password field checks the router at the proposed address, which no route leads to here: an
# error box tells so, and once it is closed the login page is shown as before.
xdotool key --window "$window" Return
# The program's window of `title` other than the face, shown, in `found`.
other_window() {
  found=$(windows_named --onlyvisible --name "$1" | grep -vx "$window" | head -n 1)
  [ -n "$found" ]
}
wait_until 60 other_window '^Firmware Upgrade Utility$' || { echo "window-face: no error box after the check"; exit 1; }
box=$found
import -window root "$out/windows-login-error-raw.png"
# Its OK button, clicked (again while the box stays: wine may take a moment before it takes the mouse):
# the box's button sits centred at its foot.
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
echo "window-face: error box $BOX_WIDTH x $BOX_HEIGHT at $BOX_X,$BOX_Y"
# No window of `title` is left (`id` alone when given).
gone() { ! windows_named --name "$1" | grep -qx "${2:-.*}"; }
click_ok() {
  xdotool mousemove $((BOX_X + BOX_WIDTH / 2)) $((BOX_Y + BOX_HEIGHT - 22))
  sleep 0.3
  xdotool mousedown 1
  sleep 0.2
  xdotool mouseup 1
  wait_until 2 gone '^Firmware Upgrade Utility$' "$box"
}
wait_until 30 click_ok || { echo "window-face: the error box stayed after its OK button was clicked"; exit 1; }
check_page login-again 169 158 163 154 "185,238 399,262" "185,285 354,309" "35,332 354,351"
# Alt+B back to the welcome page, and Escape closes the window: nothing runs.
xdotool key --window "$window" alt+b
check_page welcome-again 165 158 156 154 "${dates[@]}"
# The system menu by Alt+Space (a window of the program's own shown over the face), its last entry (About)
# by Up and Enter once it is open: the About box over the face, and Escape ends it.
menu_open() {
  windows_named --onlyvisible --classname '^firmware-upgrade-utility\.exe$' | grep -qvx "$window"
}
xdotool key --window "$window" alt+space
wait_until 30 menu_open || { echo "window-face: Alt+Space opened no system menu"; exit 1; }
xdotool key Up Return
wait_until 30 other_window '^About Firmware Upgrade Utility$' || { echo "window-face: no About box from the system menu"; exit 1; }
import -window root "$out/windows-about-raw.png"
xdotool key Escape
# Wine on a display without a window manager takes about 2 s to take a box away; more on a busy machine.
wait_until 30 gone '^About Firmware Upgrade Utility$' || { echo "window-face: Escape left the About box open"; exit 1; }
xdotool key --window "$window" Escape
wait_until 30 gone '^Firmware Upgrade Utility$' ||
  { echo "window-face: Escape on the welcome page left the window open"; exit 1; }
echo "window-face: the pages are drawn as their pictures give them, inside the rounded outline"
