# Sourced by the tests that run wine on a virtual display of their own.
#   start_display <width>x<height>
# Starts Xvfb on a display number it picks itself among the free ones (two tests, or a test and another
# user of Xvfb on the machine, never share one), waits until it takes connections, up to 30 s, and sets
# DISPLAY and xvfb (its process id); fails when no display came up.
start_display() {
  local size=$1 ready number
  ready=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 1 300); do
    number=$(head -n 1 "$ready")
    [ -n "$number" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$ready"
  [ -n "$number" ] || { echo "no virtual display came up"; return 1; }
  export DISPLAY=:$number
}

# Runs its arguments until they succeed, every quarter of a second, for up to <seconds>; fails when they
# never did (the last run's output is left to the caller).
#   wait_until <seconds> <command> [arguments...]
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.25
  done
}
