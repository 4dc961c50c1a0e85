#!/usr/bin/env bash
# Builds the tree with sanitizers in a build directory of its own and runs tests there; any
# sanitizer report fails the test that made it, and so the run.
#   scripts/sanitize-tests.sh address   AddressSanitizer + UndefinedBehaviorSanitizer, every test
#                                       (build dir build-asan)
#   scripts/sanitize-tests.sh thread    ThreadSanitizer, the tests labelled "threads" (build-tsan)
# Further arguments go to ctest. SP_BUILD_DIR chooses another build directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
suppressions="$root/scripts/sanitizers"
kind="${1:-}"
shift || true

case "$kind" in
  address)
    export SP_BUILD_DIR="${SP_BUILD_DIR:-$root/build-asan}" SP_SANITIZE=address,undefined
    export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1"
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
    exec "$root/test.sh" "$@"
    ;;
  thread)
    export SP_BUILD_DIR="${SP_BUILD_DIR:-$root/build-tsan}" SP_SANITIZE=thread
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$suppressions/tsan.supp"
    "$root/scripts/build.sh" --target sp_thread_tests
    cd "$SP_BUILD_DIR"
    exec ctest --output-on-failure -j"$(nproc)" -L threads "$@"
    ;;
  *)
    echo "usage: $0 address|thread [ctest arguments]" >&2
    exit 2
    ;;
esac
