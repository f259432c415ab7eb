#!/bin/sh
# Writes the Windows distribution: a zip holding the packed program and the README, the same bytes for
# the same inputs. Each entry gets a fixed time (the zip's times are local times: written in UTC), fixed
# permissions and no extra fields (uid/gid, Unix times), in a fixed order.
#   make-zip.sh ZIP PROGRAM.exe README.txt OUTPUT.zip EPOCH
set -eu
zip=$1 program=$2 readme=$3 output=$4 epoch=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$work/firmware-upgrade-utility.exe"
cp "$readme" "$work/README.txt"
chmod 0644 "$work/firmware-upgrade-utility.exe" "$work/README.txt"
touch -d "@$epoch" "$work/firmware-upgrade-utility.exe" "$work/README.txt"
(cd "$work" && TZ=UTC "$zip" -q -X -9 -D "$work/out.zip" firmware-upgrade-utility.exe README.txt)
mv "$work/out.zip" "$output"
