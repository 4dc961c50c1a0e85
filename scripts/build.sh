#!/usr/bin/env bash
# Configures (once) and builds the tree in build/ ; extra arguments go to cmake --build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="${SP_BUILD_DIR:-$root/build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSP_WERROR="${SP_WERROR:-OFF}" -DSP_SANITIZE="${SP_SANITIZE:-}"
fi
cmake --build "$build" -j"$(nproc)" "$@"
