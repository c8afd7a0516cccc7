#!/usr/bin/env bash
# Builds the fuzz tree with clang (every library instrumented for coverage, with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs one fuzz target or all of
# them with libFuzzer, each on its seed corpus.
#
#   scripts/fuzz.sh [target] [seconds]
#
# target   a name of fuzz/targets/ (such as "unit_reader"), or "all" (the default)
# seconds  how long each target runs (default 60)
#
# Environment:
#   FERNWOLD_JOBS        targets run at once, and build jobs (default: the cores)
#   FUZZ_RUNS            run each target for at least this many executions instead of
#                        a time
#   FUZZ_ARGS            further libFuzzer options, such as "-max_len=4096"
#   FERNWOLD_FUZZ_DIR    the build folder (default build/fuzz)
#
# Inputs that find new paths go to build/fuzz/corpus/<target>/ (the seed corpus in
# fuzz/corpus/ is only read); a crash writes its input to
# build/fuzz/artifacts/<target>/ and the run's log is build/fuzz/logs/<target>.log.
# A single target with more than one job runs in libFuzzer's fork mode over them.
# The exit status is non-zero when any target found a fault.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target="${1:-all}"
seconds="${2:-60}"
jobs="${FERNWOLD_JOBS:-$(nproc)}"
build="${FERNWOLD_FUZZ_DIR:-$root/build/fuzz}"

case "$seconds" in
  '' | *[!0-9]*) echo "fuzz: seconds must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac

targets=()
for f in "$root"/fuzz/targets/*.cpp; do
  name=$(basename "$f" .cpp)
  if [ "$target" = all ] || [ "$target" = "$name" ]; then
    targets+=("$name")
  fi
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no target '$target'; the targets are:" >&2
  for f in "$root"/fuzz/targets/*.cpp; do echo "  $(basename "$f" .cpp)" >&2; done
  exit 2
fi

"$root/scripts/setup.sh"

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFERNWOLD_LIBFUZZER=ON -DFERNWOLD_TESTS=OFF -DFERNWOLD_BENCH=OFF >/dev/null
if [ "$target" = all ]; then
  cmake --build "$build" -j "$jobs" --target fuzz_all
else
  cmake --build "$build" -j "$jobs" --target "fuzz_$target"
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# Runs one target; its output goes to its log.
run_one() {
  local name=$1 workers=$2
  local work="$build/corpus/$name" art="$build/artifacts/$name/" log="$build/logs/$name.log"
  mkdir -p "$work" "$art" "$build/logs"
  local args=(-artifact_prefix="$art" -print_final_stats=1)
  if [ -n "${FUZZ_RUNS:-}" ]; then
    args+=(-runs="$FUZZ_RUNS")
  else
    args+=(-max_total_time="$seconds")
  fi
  if [ -f "$root/fuzz/targets/$name.dict" ]; then
    args+=(-dict="$root/fuzz/targets/$name.dict")
  fi
  if [ "$workers" -gt 1 ]; then
    args+=(-fork="$workers")
  fi
  # shellcheck disable=SC2086
  "$build/fuzz/fuzz_$name" "${args[@]}" ${FUZZ_ARGS:-} "$work" "$root/fuzz/corpus/$name" >"$log" 2>&1
}

# One line per target: its executions, its coverage and whether it found a fault.
report() {
  local name=$1 status=$2
  local log="$build/logs/$name.log" runs cov
  # "#N" lines count executions so far (in fork mode, of all workers together).
  runs=$(grep -oE '^#[0-9]+|Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' | sort -n | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | awk '{print $2}')
  if [ "$status" -eq 0 ]; then
    printf 'fuzz: %-16s ok     %10s executions, coverage %s\n' "$name" "${runs:-0}" "${cov:-?}"
  else
    printf 'fuzz: %-16s FAULT  see %s and %s\n' "$name" "$log" "$build/artifacts/$name/"
  fi
}

failed=0
if [ ${#targets[@]} -eq 1 ]; then
  echo "fuzz: running ${targets[0]} for ${FUZZ_RUNS:-$seconds s} ${FUZZ_RUNS:+executions}"
  status=0
  run_one "${targets[0]}" "$jobs" || status=$?
  report "${targets[0]}" "$status"
  [ "$status" -eq 0 ] || failed=1
else
  echo "fuzz: running ${#targets[@]} targets, $jobs at a time"
  for name in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    rm -f "$build/logs/$name.status"
    (status=0; run_one "$name" 1 || status=$?; echo "$status" >"$build/logs/$name.status") &
  done
  wait
  for name in "${targets[@]}"; do
    status=$(cat "$build/logs/$name.status" 2>/dev/null || echo 1)
    report "$name" "$status"
    [ "$status" -eq 0 ] || failed=1
  done
fi
exit $failed
