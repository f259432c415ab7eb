#!/usr/bin/env bash
# The Windows window's face under wine and Xvfb, in a network namespace with loopback alone (the window
# must never reach a real gateway): started without an option it shows one window of the frame's size plus
# its border; inside the rounded outline the screen shows the frame, the welcome picture over the blank
# panel and the page's three buttons where the pictures put them, outside the label rectangles (within the
# art check's steps: 16 of 255 per channel, 5 pixels in a thousand); outside the outline, what lay below.
#   window-face.sh <program.exe> <wine> <res/skin folder> <folder for the screenshot>
set -euo pipefail
exe=$1 wine=$2 skin=$3 out=$4
for tool in Xvfb xdotool import compare convert unshare; do
  command -v "$tool" >/dev/null || { echo "window-face: $tool is missing"; exit 77; }
done
if [ -z "${FWU_WINDOW_FACE_INSIDE:-}" ]; then
  exec env FWU_WINDOW_FACE_INSIDE=1 unshare --net "$0" "$@"
fi
ip link set lo up
mkdir -p "$out"
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$out/wineprefix}
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
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
[ "$WIDTH" = 571 ] && [ "$HEIGHT" = 431 ] || { echo "window-face: the window is not 571 x 431"; exit 1; }
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/windows-welcome-raw.png"

# What the face must show: the pictures composed where the window draws them, over the screen's black.
convert -size 571x431 xc:black \
  "$skin/FRAME/151.gif" -geometry +0+0 -composite \
  "$skin/CONTENTS/170.gif" -geometry +20+176 -composite \
  "$skin/CONTENTS/165.gif" -geometry +20+176 -composite \
  "$skin/BUTTON/158.gif" -geometry +440+280 -composite \
  "$skin/BUTTON/156.gif" -geometry +440+330 -composite \
  "$skin/BUTTON/154.gif" -geometry +500+15 -composite "$out/expected-welcome.png"
# Inside the outline, clear of its rounded corners, with the header labels' band and the welcome page's
# date labels blanked in both.
labels=(-fill black -draw "rectangle 40,138 459,177" -draw "rectangle 100,290 427,330")
inner=(-crop 535x392+15+18 +repage)
convert "$out/windows-welcome-raw.png" "${inner[@]}" "${labels[@]}" "$out/shown-inner.png"
convert "$out/expected-welcome.png" "${inner[@]}" "${labels[@]}" "$out/expected-inner.png"
differing=$(compare -metric AE -fuzz 6.3% "$out/shown-inner.png" "$out/expected-inner.png" null: 2>&1 || true)
allowed=$((535 * 392 * 5 / 1000))
echo "window-face: $differing pixels differ inside the outline (at most $allowed)"
[ "$differing" -le "$allowed" ] 2>/dev/null || { echo "window-face: the face differs"; exit 1; }
# Outside the outline the window shows nothing of its own: the corner pixels are the screen's black.
for point in 1,1 569,1 1,429 569,429 7,7 563,7; do
  colour=$(convert "$out/windows-welcome-raw.png" -format "%[pixel:p{$point}]" info:)
  case $colour in
    black|"srgb(0,0,0)"|"rgb(0,0,0)") ;;
    *) echo "window-face: pixel $point outside the outline is $colour"; exit 1 ;;
  esac
done
echo "window-face: the face is drawn as its pictures give it, inside the rounded outline"
