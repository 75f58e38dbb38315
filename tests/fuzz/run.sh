#!/usr/bin/env bash
# Builds the fuzz targets with clang in build/fuzz, then either
#   tests/fuzz/run.sh [seconds]  explores: runs each target for a bounded time
#                                (20 s by default) over a scratch copy of its
#                                seeds, so that what a run discovers never
#                                lands in the repository;
#   tests/fuzz/run.sh --replay   runs each target once over every saved input
#                                in tests/fuzz/corpus, the same way each time
#                                (what the test gate does).
# Exits non-zero when any target finds a crash, a leak, undefined behaviour or
# a timeout; an exploration leaves the reproducer in build/fuzz/artifacts/<target>/.
set -euo pipefail
cd "$(dirname "$0")/../.."

mode=explore
seconds=${1:-20}
if [ "${1:-}" = --replay ]; then
  mode=replay
fi
build=build/fuzz
targets=(wildcard_fuzzer config_fields_fuzzer command_line_fuzzer quote_source_fuzzer)

# Debian's clang only recommends its sanitizer and libFuzzer runtimes.
runtime=$(clang++ -print-file-name="libclang_rt.fuzzer-$(uname -m).a" 2>/dev/null || true)
if [ ! -f "$runtime" ]; then
  echo "needs clang and its libFuzzer runtime: apt-get install clang libclang-rt-dev" >&2
  exit 2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DUPDSTART_FUZZ=ON >/dev/null
cmake --build "$build" --target updstart_fuzzers -j "$(nproc 2>/dev/null || echo 2)"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=()
if [ "$mode" = replay ]; then
  for target in "${targets[@]}"; do
    inputs=(tests/fuzz/corpus/"$target"/*)
    echo "== $target, ${#inputs[@]} saved inputs"
    if ! "$build/$target" -timeout=10 -rss_limit_mb=2048 "${inputs[@]}" >"$build/$target.log" 2>&1; then
      tail -n 40 "$build/$target.log"
      failed+=("$target")
    fi
  done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "saved inputs failed: ${failed[*]}" >&2
    exit 1
  fi
  echo "saved inputs passed: ${#targets[@]} targets"
  exit 0
fi

for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  artifacts=$build/artifacts/$target
  rm -rf "$corpus" "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  cp tests/fuzz/corpus/"$target"/* "$corpus"/
  echo "== $target, ${seconds}s"
  if ! "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$build/$target.log" 2>&1; then
    tail -n 40 "$build/$target.log"
    echo "!! $target failed; reproducer: $(ls "$artifacts"/* 2>/dev/null | head -n 1)"
    failed+=("$target")
  else
    grep -E '^(Done|stat::number_of_executed_units)' "$build/$target.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets, no crash"
