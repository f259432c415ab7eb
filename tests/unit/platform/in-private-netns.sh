#!/bin/sh
# Runs a test program in a network namespace of its own, with only loopback up and unprivileged ICMP
# datagram sockets allowed for every group. With --as-nobody first, the program runs as user nobody,
# without the right to open raw sockets. Exit 77 (skipped) where this cannot be arranged.
set -eu
as_nobody=no
if [ "${1:-}" = "--as-nobody" ]; then
  as_nobody=yes
  shift
fi
unshare --net true 2>/dev/null || exit 77
command -v ip >/dev/null 2>&1 || exit 77
if [ "$as_nobody" = yes ]; then
  command -v setpriv >/dev/null 2>&1 || exit 77
  setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$1" || exit 77
  set -- setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
fi
exec unshare --net sh -c '
  ip link set lo up &&
  echo "0 2147483647" > /proc/sys/net/ipv4/ping_group_range &&
  FWU_REQUIRE_ICMP_DATAGRAM=1 exec "$@"' sh "$@"
