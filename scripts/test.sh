#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test, then a short
# fuzz run of every network- and file-facing parser.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PORTOLAN_TEST_BUILD:-$root/build-test}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$build" -DPORTOLAN_SANITIZE=ON -DPORTOLAN_TESTS=ON
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
if [ -x "$root/scripts/fuzz-short.sh" ] && [ "${PORTOLAN_SKIP_FUZZ:-0}" != 1 ]; then
  "$root/scripts/fuzz-short.sh"
fi
