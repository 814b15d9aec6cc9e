#!/bin/bash
# Runs a simulator command and a client command in two network namespaces joined by a veth pair,
# so that broadcasts and multicasts never leave this test. Needs root and `ip netns`.
#
#   netns-harness.sh [-n COUNT] --sim 'COMMAND' --client 'COMMAND'
#
# The simulator side gets COUNT addresses (default 5) from 10.211.1.1 up in 10.211.0.0/16, the
# client side 10.211.0.1, and both a default route over the veth (so that 255.255.255.255 and
# 224.0.1.55 leave through it). Both commands run under bash -c with these variables:
#   HARNESS_BASE_IP    first simulator address         HARNESS_COUNT      COUNT
#   HARNESS_MASK       255.255.0.0                     HARNESS_BROADCAST  10.211.255.255
#   HARNESS_CLIENT_IP  10.211.0.1                      HARNESS_READY      a file the simulator
#   HARNESS_SIM_NS / HARNESS_CLIENT_NS  the namespaces                    writes when it is ready
# The client starts once HARNESS_READY exists (at most 30 s). Afterwards the simulator gets
# SIGTERM. Exit status: the client's; 3 when the simulator did not become ready or did not exit 0;
# 4 when the namespaces cannot be made. The namespaces are always deleted again.
set -u

count=5
sim=""
client=""
while [ $# -gt 0 ]; do
  case "$1" in
    -n) count="$2"; shift 2 ;;
    --sim) sim="$2"; shift 2 ;;
    --client) client="$2"; shift 2 ;;
    *) echo "netns-harness: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$sim" ] || [ -z "$client" ] || ! [[ "$count" =~ ^[0-9]+$ ]] || [ "$count" -gt 60000 ]; then
  echo "usage: netns-harness.sh [-n COUNT] --sim 'COMMAND' --client 'COMMAND'" >&2
  exit 2
fi

# Unique per run: several harnesses may run at once.
run="$$"
sim_ns="pdsim-s$run"
client_ns="pdsim-c$run"
sim_if="pvs$run"
client_if="pvc$run"
work="$(mktemp -d /tmp/netns-harness.XXXXXX)"
sim_pid=""

cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  ip netns del "$sim_ns" 2>/dev/null
  ip netns del "$client_ns" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

ip_of() {  # the address number $1 counted from 10.211.1.1
  local n=$(( (10 << 24 | 211 << 16 | 1 << 8 | 1) + $1 ))
  echo "$(( n >> 24 & 255 )).$(( n >> 16 & 255 )).$(( n >> 8 & 255 )).$(( n & 255 ))"
}

setup() {
  ip netns add "$sim_ns" && ip netns add "$client_ns" &&
  ip link add "$sim_if" type veth peer name "$client_if" &&
  ip link set "$sim_if" netns "$sim_ns" && ip link set "$client_if" netns "$client_ns" &&
  ip -n "$sim_ns" link set lo up && ip -n "$client_ns" link set lo up &&
  ip -n "$client_ns" addr add 10.211.0.1/16 dev "$client_if" || return 1
  local i
  for (( i = 0; i < count; i++ )); do
    echo "addr add $(ip_of "$i")/16 dev $sim_if"
  done > "$work/addresses"
  if [ "$count" -gt 0 ]; then ip -n "$sim_ns" -batch "$work/addresses" || return 1; fi
  ip -n "$sim_ns" link set "$sim_if" up && ip -n "$client_ns" link set "$client_if" up &&
  ip -n "$sim_ns" route add default dev "$sim_if" &&
  ip -n "$client_ns" route add default dev "$client_if"
}

if ! setup; then
  echo "netns-harness: cannot set up the namespaces" >&2
  exit 4
fi

export HARNESS_BASE_IP="$(ip_of 0)" HARNESS_COUNT="$count" HARNESS_MASK=255.255.0.0
export HARNESS_BROADCAST=10.211.255.255 HARNESS_CLIENT_IP=10.211.0.1
export HARNESS_READY="$work/ready" HARNESS_SIM_NS="$sim_ns" HARNESS_CLIENT_NS="$client_ns"

ip netns exec "$sim_ns" bash -c "exec $sim" &
sim_pid=$!
for (( i = 0; i < 300; i++ )); do
  [ -e "$HARNESS_READY" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -e "$HARNESS_READY" ]; then
  echo "netns-harness: the simulator did not become ready" >&2
  exit 3
fi

ip netns exec "$client_ns" bash -c "$client"
client_rc=$?

kill -TERM "$sim_pid" 2>/dev/null
wait "$sim_pid"
sim_rc=$?
sim_pid=""
if [ "$sim_rc" -ne 0 ]; then
  echo "netns-harness: the simulator exited with $sim_rc" >&2
  exit 3
fi
exit "$client_rc"
