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
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 $((1024 * s))x$((768 * s))x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
"$wine" "$exe" >"$out/window-face.log" 2>&1 &
window=
for _ in $(seq 1 60); do
  window=$(xdotool search --name '^Firmware Upgrade Utility$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 1
done
[ -n "$window" ] || { echo "window-face: no window appeared"; cat "$out/window-face.log"; exit 1; }
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window-face: window $WIDTH x $HEIGHT at $X,$Y"
[ "$WIDTH" = $((571 * s)) ] && [ "$HEIGHT" = $((431 * s)) ] ||
  { echo "window-face: the window is not $((571 * s)) x $((431 * s))"; exit 1; }
# Compares the screen's window with the pictures composed where the window draws them, over the screen's
# black, inside the outline clear of its rounded corners, with the page's label and field rectangles
# (window coordinates, "left,top right,bottom") blanked in both: fonts may differ there.
#   check_page <name> <content picture> <forward button> <second button> <close button> <rectangle>...
check_page() {
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
  echo "window-face: $name$at2x: $differing pixels differ inside the outline (at most $allowed)"
  [ "$differing" -le "$allowed" ] 2>/dev/null || { echo "window-face: the $name$at2x page differs"; exit 1; }
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
# The mouse over Next shows its hot picture; away from it, the normal one again.
xdotool mousemove $((X + 490)) $((Y + 304))
sleep 1
check_page welcome-hot 165 159 156 154 "${dates[@]}"
xdotool mousemove $((X + 200)) $((Y + 60))
sleep 1
# Alt+N: the login page, its fields filled with the proposed address and the password, Back for Exit.
xdotool key --window "$window" alt+n
sleep 2
check_page login 169 158 163 154 "185,238 399,262" "185,285 354,309" "35,332 354,351"
# Enter in the password field checks the router at the proposed address, which no route leads to here: an
# error box tells so, and once it is closed the login page is shown as before.
xdotool key --window "$window" Return
box=
for _ in $(seq 1 30); do
  box=$(xdotool search --name '^Firmware Upgrade Utility$' 2>/dev/null | grep -vx "$window" | head -n 1) && [ -n "$box" ] && break
  sleep 1
done
[ -n "$box" ] || { echo "window-face: no error box after the check"; exit 1; }
sleep 1
import -window root "$out/windows-login-error-raw.png"
# Its OK button, clicked (again while the box stays: wine may take a moment before it takes the mouse):
# the box's button sits centred at its foot.
eval "$(xdotool getwindowgeometry --shell "$box" | sed 's/^/BOX_/')"
echo "window-face: error box $BOX_WIDTH x $BOX_HEIGHT at $BOX_X,$BOX_Y"
for _ in 1 2 3 4 5; do
  xdotool mousemove $((BOX_X + BOX_WIDTH / 2)) $((BOX_Y + BOX_HEIGHT - 22))
  sleep 0.3
  xdotool mousedown 1
  sleep 0.2
  xdotool mouseup 1
  sleep 1
  xdotool search --name '^Firmware Upgrade Utility$' 2>/dev/null | grep -qx "$box" || break
done
check_page login-again 169 158 163 154 "185,238 399,262" "185,285 354,309" "35,332 354,351"
# Alt+B back to the welcome page, and Escape closes the window: nothing runs.
xdotool key --window "$window" alt+b
sleep 1
check_page welcome-again 165 158 156 154 "${dates[@]}"
# The system menu by Alt+Space, its last entry (About) by Up and Enter: the About box over the face, and
# Escape ends it.
xdotool key --window "$window" alt+space
sleep 1
xdotool key Up Return
about=
for _ in $(seq 1 20); do
  about=$(xdotool search --name '^About Firmware Upgrade Utility$' 2>/dev/null | head -n 1) && [ -n "$about" ] && break
  sleep 0.5
done
[ -n "$about" ] || { echo "window-face: no About box from the system menu"; exit 1; }
sleep 1
import -window root "$out/windows-about-raw.png"
xdotool key Escape
for _ in $(seq 1 20); do
  xdotool search --name '^About Firmware Upgrade Utility$' >/dev/null 2>&1 || break
  sleep 0.5
done
if xdotool search --name '^About Firmware Upgrade Utility$' >/dev/null 2>&1; then
  echo "window-face: Escape left the About box open"; exit 1
fi
xdotool key --window "$window" Escape
for _ in $(seq 1 10); do
  xdotool search --name '^Firmware Upgrade Utility$' >/dev/null 2>&1 || break
  sleep 1
done
if xdotool search --name '^Firmware Upgrade Utility$' >/dev/null 2>&1; then
  echo "window-face: Escape on the welcome page left the window open"; exit 1
fi
echo "window-face: the pages are drawn as their pictures give them, inside the rounded outline"
