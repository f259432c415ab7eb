#!/usr/bin/env bash
# A repair bench in the lab: three PCs, each in a network namespace of its own and cabled to its own
# router-sim (every router at 192.168.1.1, as routers come from the factory), and a bench namespace that
# reaches the PCs over a management link with SSH. ansible-playbook runs ansible/upgrade-routers.yml
# there with three forks: the routers of pc1 and pc2 are upgraded, pc3's router refuses the password
# and fails with that cause; a second run changes nothing (the upgraded routers run the carried version).
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

readonly PCS=(1 2 3)
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

  FWU_LAB_ROUTER_NETNS=$rt ip netns exec "$rt" "$router_sim" --log "$dir/router-sim.jsonl" \
    --save-dir "$dir/saved" --restart-ms 15000 >"$dir/router-sim.out" 2>"$dir/router-sim.err" </dev/null &

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
done

cat >"$work/inventory.ini" <<INV
[bench]
pc1 ansible_host=10.77.1.2 router_password=rodel
pc2 ansible_host=10.77.2.2 router_password=rodel
pc3 ansible_host=10.77.3.2 router_password=not-the-password

[bench:vars]
ansible_user=root
router_address=192.168.1.1
firmware_upgrade_program=$program
INV

# Waits until every router-sim is ready and every sshd listens.
for _ in $(seq 100); do
  ready=0
  for i in "${PCS[@]}"; do
    grep -q '^router-sim ready' "$work/pc$i/router-sim.out" 2>/dev/null && ready=$((ready + 1))
    ip netns exec "fwu-fp$i-$id" ss -ltn 2>/dev/null | grep -q "10.77.$i.2:22" && ready=$((ready + 1))
  done
  [ "$ready" -eq $((2 * ${#PCS[@]})) ] && break
  sleep 0.1
done
[ "$ready" -eq $((2 * ${#PCS[@]})) ] || { fail "the bench did not come up: $(cat "$work"/pc*/*.err)"; exit 1; }

playbook() {  # playbook RUN: ansible-playbook from the bench, output in $work/RUN.out, status returned
  set +e
  ip netns exec "$bench" env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 \
    ANSIBLE_HOST_KEY_CHECKING=False ANSIBLE_PRIVATE_KEY_FILE="$work/bench-key" \
    ANSIBLE_SSH_ARGS="-o UserKnownHostsFile=/dev/null -o ControlMaster=no" \
    ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3 ANSIBLE_NOCOLOR=1 ANSIBLE_FORKS=3 \
    ANSIBLE_LOCAL_TEMP="$work/ansible-local" ANSIBLE_REMOTE_TMP="$work/ansible-remote" \
    ansible-playbook -i "$work/inventory.ini" "$repo/ansible/upgrade-routers.yml" >"$work/$1.out" 2>&1
  local status=$?
  set -e
  return $status
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

check_run() {  # check_run RUN EXPECTED_CHANGED
  local run=$1 changed=$2 i
  for i in 1 2; do
    [ "$(recap "$run" "pc$i" changed)" = "$changed" ] || fail "$run: pc$i changed=$(recap "$run" "pc$i" changed), expected $changed"
    [ "$(recap "$run" "pc$i" failed)" = 0 ] || fail "$run: pc$i failed"
    [ "$(uploads "$i")" = 1 ] || fail "$run: pc$i's router took $(uploads "$i") images, expected 1"
  done
  [ "$(recap "$run" pc3 failed)" = 1 ] || fail "$run: pc3 did not fail"
  grep -A3 '^fatal: \[pc3\]' "$work/$run.out" | grep -qi 'password' ||
    fail "$run: pc3's failure does not give the refused password as its cause"
  [ "$(uploads 3)" = 0 ] || fail "$run: pc3's router took an image"
  if grep -q -e 'rodel' -e 'not-the-password' "$work/$run.out"; then fail "$run: a password appears in the output"; fi
}

playbook first && fail "first run: ansible-playbook succeeded although pc3's password is wrong"
check_run first 1
playbook second && fail "second run: ansible-playbook succeeded although pc3's password is wrong"
check_run second 0

if [ "$failures" -ne 0 ]; then
  for run in first second; do echo "--- $run run:"; cat "$work/$run.out"; done >&2
  exit 1
fi
echo "fleet: two routers upgraded in parallel, the refused one failed with its cause, the second run changed nothing"
