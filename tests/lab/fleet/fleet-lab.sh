#!/usr/bin/env bash
# A repair bench in the lab: PCs, each in a network namespace of its own and cabled to its own router-sim
# (every router at 192.168.1.1, as routers come from the factory), and a bench namespace that reaches the
# PCs over a management link with SSH. ansible-playbook runs ansible/upgrade-routers.yml there, one fork
# per PC, in check mode, then for real, then again on the PCs that must not change. Each PC's router
# behaves in its own way (the table HOSTS below) and each run's recap, cause and uploads are checked:
# a router that takes the image and never comes back, or comes back with its old version, reads changed
# and failed; a router whose version cannot be read is left alone unless forced; a PC without the program
# fails with that cause; and pc1's management link goes down while its router takes the image, which the
# upgrade, running in the background of the PC, survives: a later poll brings its result.
# Nothing leaves these namespaces; sshd listens only on the management addresses inside them.
#
# Usage: fleet-lab.sh PROGRAM ROUTER_SIM. Exit 77 (skipped) without root.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM ROUTER_SIM" >&2; exit 2; }
program=$(readlink -f "$1")
router_sim=$(readlink -f "$2")
repo=$(cd "$(dirname "$0")/../../.." && pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: network namespaces need root" >&2
  exit 77
fi
for tool in ip ansible-playbook ssh-keygen /usr/sbin/sshd python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing (scripts/setup installs it)" >&2; exit 1; }
done

# PC | router-sim options | host variables | check mode: changed failed | upgrade: changed failed uploads |
# second run: changed failed uploads, or - (not run again) | the cause of a failure (extended regex)
readonly HOSTS=(
  "1|--restart-ms 15000|router_password=rodel|1 0|1 0 1|0 0 1|"
  "2|--restart-ms 15000|router_password=rodel|1 0|1 0 1|0 0 1|"
  "3|--restart-ms 15000|router_password=not-the-password|0 1|0 1 0|0 1 0|password"
  "4|--restart-ms 600000|router_password=rodel|1 0|1 1 1|-|has not come back"
  "5|--restart-ms 15000 --fault keep-version|router_password=rodel|1 0|1 1 1|-|kept its old firmware"
  "6|--fault no-marker|router_password=rodel|0 1|0 1 0|0 1 0|version could not be read.*set force"
  "7|--restart-ms 15000 --fault no-marker|router_password=rodel router_force=true|1 0|1 1 1|-|has not come back"
  "8|--restart-ms 15000|router_password=rodel firmware_upgrade_program=/opt/none/firmware-upgrade-utility|0 1|0 1 0|0 1 0|not installed"
)
PCS=()
for row in "${HOSTS[@]}"; do PCS+=("${row%%|*}"); done
field() {  # field PC N: the Nth field (1-based) of the PC's row in HOSTS
  local row
  for row in "${HOSTS[@]}"; do
    [ "${row%%|*}" = "$1" ] && { cut -d'|' -f"$2" <<<"$row"; return; }
  done
}
id=$$
work=$(mktemp -d /tmp/fwu-fleet.XXXXXX)
namespaces=()
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cleanup() {
  local ns pid
  set +e
  for ns in "${namespaces[@]}"; do
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -TERM "$pid" 2>/dev/null; done
  done
  sleep 0.5
  for ns in "${namespaces[@]}"; do
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
    ip netns del "$ns" 2>/dev/null
  done
  if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "fleet: scratch folder kept: $work" >&2; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

make_ns() {
  ip netns add "$1"
  namespaces+=("$1")
  ip netns exec "$1" sysctl -q -w net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1
  ip -n "$1" link set lo up
}

bench=fwu-fb-$id
make_ns "$bench"
ssh-keygen -q -t ed25519 -N '' -f "$work/bench-key"
ssh-keygen -q -t ed25519 -N '' -f "$work/host-key"
mkdir -p "$work/home"
mkdir -p -m 755 /run/sshd  # sshd's privilege separation folder, as the ssh package's service makes it

for i in "${PCS[@]}"; do
  pc=fwu-fp$i-$id
  rt=fwu-fr$i-$id
  dir=$work/pc$i
  mkdir -p "$dir/saved" "$dir/state"
  mkdir -m 700 "$dir/run"
  make_ns "$pc"
  make_ns "$rt"
  ip link add eth0 netns "$pc" type veth peer name eth0 netns "$rt"
  ip -n "$rt" addr add 192.168.1.1/24 dev eth0
  ip -n "$rt" link set eth0 up
  ip -n "$pc" addr add 192.168.1.100/24 dev eth0
  ip -n "$pc" link set eth0 up
  ip -n "$pc" route add default via 192.168.1.1 dev eth0
  ip link add "mgmt$i" netns "$bench" type veth peer name mgmt netns "$pc"
  ip -n "$bench" addr add "10.77.$i.1/24" dev "mgmt$i"
  ip -n "$bench" link set "mgmt$i" up
  ip -n "$pc" addr add "10.77.$i.2/24" dev mgmt
  ip -n "$pc" link set mgmt up

  # shellcheck disable=SC2046  # the table's router-sim options are words
  FWU_LAB_ROUTER_NETNS=$rt ip netns exec "$rt" "$router_sim" --log "$dir/router-sim.jsonl" \
    --save-dir "$dir/saved" $(field "$i" 2) >"$dir/router-sim.out" 2>"$dir/router-sim.err" </dev/null &

  # Each PC keeps its own state and runtime folder, as separate machines would.
  cat >"$dir/sshd_config" <<CONF
ListenAddress 10.77.$i.2
HostKey $work/host-key
AuthorizedKeysFile $work/bench-key.pub
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PidFile $dir/sshd.pid
Subsystem sftp internal-sftp
SetEnv XDG_RUNTIME_DIR=$dir/run XDG_STATE_HOME=$dir/state
CONF
  ip netns exec "$pc" /usr/sbin/sshd -D -e -f "$dir/sshd_config" 2>"$dir/sshd.err" </dev/null &
  echo $! >"$dir/sshd.listener"
done
# pc1 sends its image at 200 kbit/s, so that the transfer lasts about 8 s and its link can drop during it.
tc -n fwu-fp1-$id qdisc add dev eth0 root tbf rate 200kbit burst 16kb latency 1s

{
  echo "[bench]"
  for i in "${PCS[@]}"; do echo "pc$i ansible_host=10.77.$i.2 $(field "$i" 3)"; done
  echo
  echo "[bench:vars]"
  echo "ansible_user=root"
  echo "router_address=192.168.1.1"
  echo "router_poll_seconds=5"
  echo "firmware_upgrade_program=$program"
} >"$work/inventory.ini"

# Waits until every router-sim is ready and every sshd listens.
for _ in $(seq 300); do
  ready=0
  for i in "${PCS[@]}"; do
    grep -q '^router-sim ready' "$work/pc$i/router-sim.out" 2>/dev/null && ready=$((ready + 1))
    ip netns exec "fwu-fp$i-$id" ss -ltn 2>/dev/null | grep -q "10.77.$i.2:22" && ready=$((ready + 1))
  done
  [ "$ready" -eq $((2 * ${#PCS[@]})) ] && break
  sleep 0.1
done
[ "$ready" -eq $((2 * ${#PCS[@]})) ] || { fail "the bench did not come up: $(cat "$work"/pc*/*.err)"; exit 1; }

playbook() {  # playbook RUN [ARGS...]: ansible-playbook from the bench, output in $work/RUN.out
  local run=$1
  shift
  set +e
  ip netns exec "$bench" env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 \
    ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_PRIVATE_KEY_FILE="$work/bench-key" \
    ANSIBLE_SSH_ARGS="-o UserKnownHostsFile=/dev/null -o ControlMaster=no" \
    ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1 ANSIBLE_FORKS=${#PCS[@]} \
    ANSIBLE_LOCAL_TEMP="$work/ansible-local" ANSIBLE_REMOTE_TMP="$work/ansible-remote" \
    ANSIBLE_ASYNC_DIR="$work/ansible-async" \
    ansible-playbook -i "$work/inventory.ini" "$repo/ansible/upgrade-routers.yml" "$@" </dev/null \
    >"$work/$run.out" 2>&1 &
  # Waited for in the background, so that SIGTERM or Ctrl-C ends the test (and its namespaces) at once
  # instead of after the run, which may be minutes.
  wait $!
  local status=$?
  set -e
  [ "$status" -ne 0 ] || fail "$run: ansible-playbook succeeded although some PCs must fail"
}

# recap RUN HOST FIELD: a number of the play recap's line for HOST
recap() {
  sed -n "s/^$2 *:.* $3=\([0-9]*\).*/\1/p" "$work/$1.out" | tail -n 1
}

uploads() {  # uploads N: how many images pcN's router took
  python3 - "$work/pc$1/router-sim.jsonl" <<'PY'
import json, sys
count = 0
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    try:
        count += json.loads(line).get("event") == "upload"
    except ValueError:
        pass
print(count)
PY
}

# check_run RUN COLUMN: every PC's recap, uploads and cause against its row's column (4 check mode,
# 5 upgrade, 6 second run)
check_run() {
  local run=$1 column=$2 i want changed failed uploads cause
  for i in "${PCS[@]}"; do
    want=$(field "$i" "$column")
    [ "$want" = - ] && continue
    read -r changed failed uploads <<<"$want"
    [ "$(recap "$run" "pc$i" changed)" = "$changed" ] ||
      fail "$run: pc$i changed=$(recap "$run" "pc$i" changed), expected $changed"
    [ "$(recap "$run" "pc$i" failed)" = "$failed" ] ||
      fail "$run: pc$i failed=$(recap "$run" "pc$i" failed), expected $failed"
    [ "$(recap "$run" "pc$i" unreachable)" = 0 ] || fail "$run: pc$i was unreachable"
    [ "$(uploads "$i")" = "${uploads:-0}" ] ||
      fail "$run: pc$i's router took $(uploads "$i") images, expected ${uploads:-0}"
    cause=$(field "$i" 7)
    if [ "$failed" = 1 ] && ! grep "^fatal: \[pc$i\]" "$work/$run.out" | grep -Eqi "$cause"; then
      fail "$run: pc$i's failure does not give its cause (/$cause/)"
    fi
  done
  if grep -q -e 'rodel' -e 'not-the-password' "$work/$run.out"; then fail "$run: a password appears in the output"; fi
}

# While pc1's router takes the image, pc1's management link goes down for longer than a few polls and
# the SSH connections into pc1 are cut; then it comes back. drop.state says when the drop came.
drop_pc1_link_mid_transfer() {
  local log=$work/pc1/router-sim.jsonl pid
  for _ in $(seq 1200); do
    grep -q '"event": *"upload-start"' "$log" 2>/dev/null && break
    sleep 0.1
  done
  if ! grep -q '"event": *"upload-start"' "$log" 2>/dev/null; then
    echo "no upload began" >"$work/drop.state"
    return
  fi
  ip -n "$bench" link set mgmt1 down
  for pid in $(ps -o pid= --ppid "$(cat "$work/pc1/sshd.listener")"); do kill -TERM "$pid" 2>/dev/null || true; done
  if grep -q '"event": *"upload"' "$log"; then echo "after the transfer" >"$work/drop.state"; else echo mid >"$work/drop.state"; fi
  sleep 12
  ip -n "$bench" link set mgmt1 up
}

runs=(check first second)
playbook check --check
check_run check 4
drop_pc1_link_mid_transfer &
dropper=$!
playbook first
wait "$dropper" || true
[ "$(cat "$work/drop.state" 2>/dev/null)" = mid ] ||
  fail "pc1's link did not drop during its transfer: $(cat "$work/drop.state" 2>/dev/null)"
check_run first 5
limit=$(for i in "${PCS[@]}"; do [ "$(field "$i" 6)" = - ] || printf 'pc%s,' "$i"; done)
playbook second --limit "${limit%,}"
check_run second 6

if [ "$failures" -ne 0 ]; then
  for run in "${runs[@]}"; do echo "--- $run run:"; cat "$work/$run.out"; done >&2
  exit 1
fi
echo "fleet: ${#PCS[@]} PCs in check mode, upgrade and second run each gave its changed, failed, uploads and cause;" \
  "pc1's upgrade survived its dropped management link"
