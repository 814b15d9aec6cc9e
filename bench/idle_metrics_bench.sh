#!/usr/bin/env bash
# What 255 idle ports cost with and without the /metrics endpoint: runs `portolanctl run` with
# COM1 ... COM255 bound to 127.0.0.1 (nothing opens them, so nothing connects), scrapes /metrics
# once so that its server has served, then reads the process's CPU time (user + system, from
# /proc/PID/stat) over a quiet window. The same with --metrics left off, for comparison.
# Usage: bench/idle_metrics_bench.sh [PORTOLANCTL] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ctl=${1:-$root/build-test/bin/portolanctl}
seconds=${2:-30}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tick=$(getconf CLK_TCK)

ports=()
for n in $(seq 1 255); do ports+=(--port "COM$n=127.0.0.1:0"); done

cpu_ticks() {  # utime + stime of the process, in clock ticks
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}

wakeups() {  # context switches of all the process's threads: each is a wake-up or a preemption
  cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n }'
}

measure() {
  local label=$1
  shift
  local dir=$work/$label
  mkdir -p "$dir"
  PORTOLAN_REGISTRY=$dir/registry.reg PORTOLAN_PORT_DIR=$dir/ports XDG_RUNTIME_DIR=$dir \
    PORTOLAN_SERIALCOMM= "$ctl" run "${ports[@]}" "$@" >"$dir/out" 2>&1 &
  local pid=$!
  for _ in $(seq 1 600); do
    grep -q "running 255 port(s)" "$dir/out" && break
    sleep 0.1
  done
  grep -q "running 255 port(s)" "$dir/out" || { echo "$label: did not start"; cat "$dir/out"; kill "$pid"; return 1; }
  if [[ $# -gt 0 ]]; then
    curl -sf "http://127.0.0.1:$metrics_port/metrics" | grep -c '^portolan_port_open{' \
      | sed "s/^/$label: samples of portolan_port_open: /"
  fi
  sleep 2  # the start-up's last work settles
  local before after switchesBefore switchesAfter threads
  before=$(cpu_ticks "$pid")
  switchesBefore=$(wakeups "$pid")
  sleep "$seconds"
  after=$(cpu_ticks "$pid")
  switchesAfter=$(wakeups "$pid")
  threads=$(ls "/proc/$pid/task" | wc -l)
  kill -TERM "$pid"
  wait "$pid" || true
  echo "$label: $(( (after - before) * 1000 / tick )) ms CPU and" \
    "$((switchesAfter - switchesBefore)) context switches in ${seconds} s idle, $threads threads"
}

metrics_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
measure with-metrics --metrics "127.0.0.1:$metrics_port"
measure without-metrics
