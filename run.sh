#!/usr/bin/env bash
# Builds the program if needed and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/build.sh" --target vornicspcomm
exec "${SP_BUILD_DIR:-$root/build}/vornicspcomm" "$@"
