#!/usr/bin/env bash
# Builds one libFuzzer target (clang, AddressSanitizer and UBSan, build-fuzz/)
# and runs it for SECONDS on a fresh copy of its seed corpus
# (fuzz/corpus/NAME for fuzz_NAME) inside build-fuzz/smoke/. Exits non-zero,
# with the end of the fuzzer's log, on a crash, a sanitizer report, a leak,
# a unit slower than 10 s or one using more than 2 GB; otherwise prints the
# executions, their rate and the coverage reached.
#   fuzz/run.sh TARGET SECONDS      e.g. fuzz/run.sh fuzz_render 300
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: fuzz/run.sh TARGET SECONDS" >&2; exit 2; }
target=$1 seconds=$2
[ -d "fuzz/corpus/${target#fuzz_}" ] || { echo "no seed corpus fuzz/corpus/${target#fuzz_}" >&2; exit 2; }
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELLOA_WERROR=ON -DVELLOA_FUZZ=ON -DVELLOA_SANITIZE=ON >/dev/null
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
cmake --build build-fuzz --target "$target" -j "$(nproc)" >/dev/null
corpus=build-fuzz/smoke/${target#fuzz_}
rm -rf "$corpus"
mkdir -p "$corpus"
cp fuzz/corpus/"${target#fuzz_}"/* "$corpus"/
dict=()
[ "$target" != fuzz_patterns ] && dict=(-dict=fuzz/blocks.dict)
echo "Fuzzing $target for $seconds s"
log=build-fuzz/smoke/$target.log
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1 \
  build-fuzz/fuzz/"$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="build-fuzz/smoke/$target-" "$corpus" 2>"$log" \
  || { tail -n 60 "$log" >&2; echo "$target failed; see build-fuzz/smoke/" >&2; exit 1; }
grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log"
grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true
