#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test. Installs missing packages first (as root).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

# ccache keys on paths relative to the source root, so a fresh clone in another
# folder reuses what earlier builds compiled.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros

build="${FERNWOLD_BUILD_DIR:-$root/build/test}"
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
  -DFERNWOLD_SANITIZE=ON >/dev/null
cmake --build "$build" ${FERNWOLD_JOBS:+-j "$FERNWOLD_JOBS"}
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0"
# What the OpenGL driver keeps to the end of the process is no leak of ours.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan_driver.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Several test programs draw at once (ctest -j): each software rasteriser keeps to two
# threads rather than one for every core.
export LP_NUM_THREADS="${LP_NUM_THREADS:-2}"
ctest --test-dir "$build" --output-on-failure -j"${FERNWOLD_JOBS:-$(nproc)}"
