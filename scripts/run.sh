#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Orbeta and starts it in the current folder, where it keeps
# its memos.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-debian.sh" run
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_BUILD_TESTS=OFF \
      -DORBETA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --target orbeta -j"$(nproc)"
exec "$root/build/src/orbeta"
