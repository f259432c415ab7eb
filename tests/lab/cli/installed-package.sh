#!/usr/bin/env bash
# The Debian package as a user gets it: installed with dpkg, its /usr/bin/firmware-upgrade-utility run by an
# ordinary user (nobody, no groups) through --cli to success against router-sim, on a kernel that admits
# no group to ping sockets (net.ipv4.ping_group_range "1 0", set in the lab's pc namespace only), so the
# router is pinged through the installed probe helper and the capability the postinst gave it. The
# package is removed again at the end, whatever happened. Runs inside the lab's "pc" namespace, as root.
#
# Usage: installed-package.sh VERSION
#   VERSION  the project's version: the package is build/package/firmware-upgrade-utility_VERSION_<arch>.deb,
#            as scripts/package builds it (the package test, which runs first, does)
# Exit 0 when all held; 77 (skipped) without root, dpkg, getcap or setpriv, or where the package is
# installed already (this test does not replace a package it did not install).
set -euo pipefail

[ $# -eq 1 ] || { grep -m1 '^# Usage:' "$0" | sed 's/^# //' >&2; exit 2; }
readonly package=firmware-upgrade-utility
deb=$(cd "$(dirname "$0")/../../.." && pwd)/build/package/${package}_$1_$(dpkg --print-architecture).deb
readonly program=/usr/bin/$package
readonly helper=/usr/libexec/$package/probe-helper
# The program pings the router at start: only inside the lab, where that is router-sim.
if [ -z "${FWU_LAB_NETNS:-}" ] || [ "$(ip netns identify $$ 2>/dev/null)" != "$FWU_LAB_NETNS" ]; then
  echo "installed-package: refused: not inside the lab's pc namespace (run through scripts/lab)" >&2
  exit 1
fi
[ "$(id -u)" -eq 0 ] || { echo "installed-package: skipped: needs root" >&2; exit 77; }
for tool in dpkg getcap setpriv; do
  command -v "$tool" >/dev/null 2>&1 || { echo "installed-package: skipped: no $tool" >&2; exit 77; }
done
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
  echo "installed-package: skipped: $package is installed on this machine already" >&2
  exit 77
fi
[ -f "$deb" ] || { echo "installed-package: FAIL: no package at $deb (scripts/package builds it)" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
  dpkg --purge "$package" >/dev/null 2>&1 || echo "installed-package: dpkg --purge $package failed" >&2
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "installed-package: FAIL: $*" >&2; failures=$((failures + 1)); }

if ! dpkg -i "$deb" >"$work/dpkg" 2>&1; then
  echo "installed-package: FAIL: dpkg -i: $(tr '\n' ' ' <"$work/dpkg")" >&2
  exit 1
fi
caps=$(getcap "$helper" 2>&1 || true)
[ "$caps" = "$helper cap_net_raw=p" ] || fail "the installed helper holds \"$caps\", not cap_net_raw=p"
caps=$(getcap "$program" 2>&1 || true)
[ -z "$caps" ] || fail "the installed program carries a capability: $caps"

sysctl -q -w net.ipv4.ping_group_range="1 0"
chmod 0755 "$work"
mkdir -m 0700 "$work/home" && chown 65534:65534 "$work/home"
status=0
setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$work/home" XDG_STATE_HOME="$work/home" \
  XDG_RUNTIME_DIR="$work/home" "$program" --cli --address "$FWU_LAB_ROUTER" --yes </dev/null \
  >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || { fail "the installed program ended with $status"; cat "$work/out" "$work/err" >&2 || true; }
last=$(tail -n 1 "$work/out")
[[ "$last" == upgraded* ]] || fail "the run's verdict line is \"$last\", not upgraded"
log=$work/home/$package/upgrade.log
if ! grep -q "check: .*pinged by probe helper" "$log" 2>/dev/null; then
  fail "the attempt log does not name the probe helper"
  cat "$log" >&2 2>/dev/null || true
fi

[ "$failures" -eq 0 ] && echo "installed-package: all held"
exit $((failures > 0))
