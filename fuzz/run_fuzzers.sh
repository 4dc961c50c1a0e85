#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer on)
# in their own build directory and runs each for a bounded time, starting from its committed
# seed corpus. Exits non-zero when any target finds a fault; the input that caused it is left
# in <build>/findings/ (replay it with: <build>/fuzz/<target> <file>).
#
#   fuzz/run_fuzzers.sh                  all targets, FUZZ_SECONDS (default 60) each
#   fuzz/run_fuzzers.sh fuzz_ini         only the named targets
#   FUZZ_SECONDS=0 fuzz/run_fuzzers.sh   only replay the seed corpora
# SP_FUZZ_BUILD_DIR chooses the build directory (default build-fuzz).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${SP_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_hex_text fuzz_ini fuzz_module_reply fuzz_receive_store fuzz_telnet_stream fuzz_plot_parsers)

# libFuzzer's runtime comes with Debian's compiler-rt package, not with clang itself.
"$root/scripts/install-deps.sh" clang libclang-rt-14-dev

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DSP_SANITIZE=address,undefined -DSP_WERROR=ON \
        -DSP_BUILD_TESTS=OFF -DSP_BUILD_BENCH=OFF -DSP_BUILD_FUZZ=ON
fi
# spcore is built as well: the core has to stay clean under clang's warnings too.
cmake --build "$build" -j"$(nproc)" --target spcore "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=()
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/$target"
  work="$build/corpus/$target"  # new inputs land here, never in the committed seeds
  mkdir -p "$work" "$build/findings"
  if [ "$seconds" -eq 0 ]; then
    args=(-runs=0 "$seeds")
  else
    args=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1 "$work" "$seeds")
  fi
  echo "== $target (${seconds}s)"
  if ! "$build/fuzz/$target" -artifact_prefix="$build/findings/$target-" "${args[@]}" \
       > "$build/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 60 "$build/$target.log"
  else
    grep -E '^(Done|stat::number_of_executed_units|#[0-9]+ +DONE)' "$build/$target.log" || tail -n 3 "$build/$target.log"
  fi
done

[ ${#failed[@]} -gt 0 ] && echo "Findings in ${failed[*]} (inputs in $build/findings/)"
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
