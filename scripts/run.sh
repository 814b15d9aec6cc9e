#!/usr/bin/env bash
# Sets up, builds and starts the desktop program. Arguments go to portolan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DPORTOLAN_TESTS=OFF
exec "$root/build/bin/portolan" "$@"
