#!/usr/bin/env bash
# The playbook on the PC itself (-c local) inside the lab, as a person with one router would run it:
# check mode first (says it would change, sends nothing), check mode with a copy of the program whose
# carried image is damaged (fails with that cause), then an upgrade (changed=1), then a second run that
# finds the carried version and sends nothing (changed=0).
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

playbook() {  # playbook RUN PROGRAM [ARGS...]: output in $work/RUN.out, exit status in $status
  local run=$1 with=$2
  shift 2
  set +e
  env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/run" XDG_STATE_HOME="$work/state" \
    ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_ASYNC_DIR="$work/async" \
    ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 \
    ansible-playbook -i localhost, -c local "$repo/ansible/upgrade-routers.yml" \
    -e router_address="$FWU_LAB_ROUTER" -e router_password=rodel -e firmware_upgrade_program="$with" \
    -e router_poll_seconds=2 "$@" </dev/null >"$work/$run.out" 2>&1
  status=$?
  set -e
}

changed() { sed -n 's/^localhost *:.* changed=\([0-9]*\).*/\1/p' "$work/$1.out"; }
uploads() { grep -c '"event": *"upload"' "$FWU_LAB_SIM_LOG" || true; }

# A copy of the program with one changed byte in the middle of its carried image (before its 48-byte
# trailer).
size=$("$program" --image-info | sed -n 's/^size: *\([0-9]*\) bytes$/\1/p')
[ -n "$size" ] || { echo "FAIL: --image-info shows no size" >&2; exit 1; }
cp "$program" "$work/damaged"
printf 'FWU!' | dd of="$work/damaged" bs=1 seek=$(($(stat -c %s "$program") - 48 - size / 2)) conv=notrunc 2>/dev/null

# run | program | playbook options | exit status 0 or not (x) | changed | uploads after it | cause of a failure
readonly RUNS=(
  "check|$program|--check|0|1|0|"
  "damaged-check|$work/damaged|--check|x|0|0|carried image is damaged"
  "first|$program||0|1|1|"
  "second|$program||0|0|1|"
)
names=()
for row in "${RUNS[@]}"; do
  IFS='|' read -r run with options want_status want_changed want_uploads cause <<<"$row"
  names+=("$run")
  # shellcheck disable=SC2086  # the options are words
  playbook "$run" "$with" $options
  if [ "$want_status" = 0 ]; then
    [ "$status" -eq 0 ] || fail "$run: ansible-playbook exited $status"
  else
    [ "$status" -ne 0 ] || fail "$run: ansible-playbook succeeded"
    grep '^fatal: \[localhost\]' "$work/$run.out" | grep -qi "$cause" || fail "$run: the failure does not say /$cause/"
  fi
  [ "$(changed "$run")" = "$want_changed" ] || fail "$run: changed=$(changed "$run"), expected $want_changed"
  [ "$(uploads)" = "$want_uploads" ] || fail "$run: the router has taken $(uploads) images, expected $want_uploads"
done

if [ "$failures" -ne 0 ]; then
  for run in "${names[@]}"; do echo "--- $run:"; cat "$work/$run.out"; done >&2
  exit 1
fi
echo "local playbook: check mode sent nothing and refused a damaged image, the upgrade changed the router," \
  "the second run did not"
