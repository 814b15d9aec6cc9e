#!/bin/sh
# Short fuzz run: builds every fuzz target with clang in build-fuzz/ and runs each fuzz_* program
# for N seconds (default 20) over its seed corpus. Fails on any finding or build failure.
# Usage: scripts/fuzz-short.sh [seconds]
set -eu
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PORTOLAN_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DPORTOLAN_FUZZ=ON >/dev/null
cmake --build "$build" -j2

status=0
found=0
for program in "$build"/fuzz/fuzz_*; do
  [ -x "$program" ] || continue
  found=1
  name=$(basename "$program")
  name=${name#fuzz_}
  # The seed corpus lives beside the fuzz source: tests/<subsystem>/corpus/<name>/.
  seeds=$(find "$root/tests" -type d -path "*/corpus/$name" | head -n 1)
  work=$(mktemp -d)
  echo "== $name: ${seconds}s${seeds:+ over $seeds}"
  # New inputs go to a scratch folder so the committed corpus stays as it is.
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$build/fuzz/$name-" "$work" ${seeds:+"$seeds"}; then
    echo "!! $name: finding (see $build/fuzz/$name-*)"
    status=1
  fi
  rm -rf "$work"
done
[ "$found" = 1 ] || { echo "no fuzz programs found in $build/fuzz"; exit 1; }
exit $status
