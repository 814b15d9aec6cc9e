#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test, then a short
# fuzz run of every network- and file-facing parser.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PORTOLAN_TEST_BUILD:-$root/build-test}
"$root/scripts/setup.sh" || exit 1
"$root/scripts/build.sh" "$build" -DPORTOLAN_SANITIZE=ON -DPORTOLAN_TESTS=ON || exit 1

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

log=$(mktemp)
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300 | tee "$log"
ctest_status=${PIPESTATUS[0]}

# The Debian package, from a release build of its own, and its checks (scripts/package-check.sh).
package_log=$(mktemp)
if [ "${PORTOLAN_SKIP_PACKAGE:-0}" != 1 ]; then
  echo "== package"
  if package=$("$root/scripts/package.sh" "${PORTOLAN_PACKAGE_BUILD:-$root/build-package}"); then
    "$root/scripts/package-check.sh" "$package" | tee "$package_log"
  else
    echo "package: 0 passed, 1 failed" | tee "$package_log"
  fi
fi

fuzz_status=0
if [ "${PORTOLAN_SKIP_FUZZ:-0}" != 1 ]; then
  "$root/scripts/fuzz-short.sh" "${PORTOLAN_FUZZ_SECONDS:-15}" || fuzz_status=$?
fi

# A failed test runs once more, on its own, with its output at the end where a short tail of the
# run shows it. A test that passes then failed only beside the others or under the moment's load:
# it is named as such and counted as passed; one that fails again fails the run.
failed_tests=$(sed -n '/^The following tests FAILED:/,/^Errors while running CTest/p' "$log")
flaky_tests=""
if [ "$ctest_status" != 0 ]; then
  echo "== the failed tests, once more"
  rerun_log=$(mktemp)
  ctest --test-dir "$build" --rerun-failed --output-on-failure --timeout 300 >"$rerun_log" 2>&1
  rerun_status=$?
  tail -n 80 "$rerun_log"
  if [ "$rerun_status" = 0 ] && grep -qE '^100% tests passed' "$rerun_log"; then
    flaky_tests=$(printf '%s\n' "$failed_tests" | grep -E '^[[:space:]]+[0-9]+ - ')
    ctest_status=0
  fi
  rm -f "$rerun_log"
fi

# The closing line counts the tests, whatever the fuzz run printed after them.
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
# The names of what failed are repeated at the end, where a short tail of the output shows them.
failed_checks=$(grep -E '^FAIL  ' "$package_log")
package_summary=$(grep -E '^package: [0-9]+ passed, [0-9]+ failed$' "$package_log" | tail -n 1)
package_passed=$(echo "$package_summary" | sed -nE 's/^package: ([0-9]+) passed.*/\1/p')
package_failed=$(echo "$package_summary" | sed -nE 's/.* ([0-9]+) failed$/\1/p')
rm -f "$log" "$package_log"
if [ -n "$summary" ]; then
  failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
  total=$(echo "$summary" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
  [ "$fuzz_status" = 0 ] || echo "fuzz: a fuzz program found a problem (see above)"
  [ "${package_failed:-0}" = 0 ] || echo "package: a check of the Debian package failed (see above)"
  if [ -n "$flaky_tests" ]; then
    echo "flaky: failed in the full run and passed when run again on their own (counted as passed):"
    printf '%s\n' "$flaky_tests"
    failed=0
  else
    [ -z "$failed_tests" ] || printf '%s\n' "$failed_tests"
  fi
  [ -z "$failed_checks" ] || printf '%s\n' "$failed_checks"
  echo "tests: $((total - failed + ${package_passed:-0})) passed, $((failed + ${package_failed:-0})) failed"
fi
[ "$ctest_status" = 0 ] && [ "$fuzz_status" = 0 ] && [ "${package_failed:-0}" = 0 ]
