#!/usr/bin/env bash
# The playbook on the PC itself (-c local) inside the lab, as a person with one router would run it:
# check mode first (says it would change, sends nothing), then an upgrade (changed=1), then a second
# run that finds the carried version and sends nothing (changed=0).
#
# Usage (inside scripts/lab, which starts router-sim): local-lab.sh PROGRAM
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
program=$(readlink -f "$1")
repo=$(cd "$(dirname "$0")/../../.." && pwd)
# Sends only from the lab's pc namespace: the same namespace inode as the one the lab registered.
[ "$(stat -L -c %d:%i /proc/self/ns/net)" = "$(stat -L -c %d:%i "/run/netns/${FWU_LAB_NETNS:?not run by scripts/lab}")" ] ||
  { echo "FAIL: not inside the lab's pc namespace" >&2; exit 1; }
command -v ansible-playbook >/dev/null || { echo "FAIL: ansible-playbook is missing (scripts/setup installs it)" >&2; exit 1; }

work=$FWU_LAB_DIR/ansible
mkdir -p "$work/home" "$work/state"
mkdir -m 700 "$work/run"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

playbook() {  # playbook RUN [ARGS...]: output in $work/RUN.out
  local run=$1 status
  shift
  set +e
  env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/run" XDG_STATE_HOME="$work/state" \
    ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 \
    ansible-playbook -i localhost, -c local "$repo/ansible/upgrade-routers.yml" \
    -e router_address="$FWU_LAB_ROUTER" -e router_password=rodel -e firmware_upgrade_program="$program" \
    "$@" >"$work/$run.out" 2>&1
  status=$?
  set -e
  [ "$status" -eq 0 ] || fail "$run: ansible-playbook exited $status"
}

changed() { sed -n 's/^localhost *:.* changed=\([0-9]*\).*/\1/p' "$work/$1.out"; }
uploads() { grep -c '"event": *"upload"' "$FWU_LAB_SIM_LOG" || true; }

playbook check --check
[ "$(changed check)" = 1 ] || fail "check mode: changed=$(changed check), expected 1 (the router runs an older version)"
[ "$(uploads)" = 0 ] || fail "check mode sent an image"
playbook first
[ "$(changed first)" = 1 ] || fail "first run: changed=$(changed first), expected 1"
[ "$(uploads)" = 1 ] || fail "first run: the router took $(uploads) images, expected 1"
playbook second
[ "$(changed second)" = 0 ] || fail "second run: changed=$(changed second), expected 0"
[ "$(uploads)" = 1 ] || fail "second run sent the image again"

if [ "$failures" -ne 0 ]; then
  for run in check first second; do echo "--- $run:"; cat "$work/$run.out"; done >&2
  exit 1
fi
echo "local playbook: check mode sent nothing, the upgrade changed the router, the second run did not"
