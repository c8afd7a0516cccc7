#!/usr/bin/env bash
# Builds the release tree and runs the game's main job headless.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFERNWOLD_TESTS=OFF -DFERNWOLD_BENCH=OFF >/dev/null
cmake --build "$build" ${FERNWOLD_JOBS:+-j "$FERNWOLD_JOBS"}
# The program writes its log only when asked; a "-log" of the caller's comes first
# and wins.
rm -f "$build/bin/quarn3d.log"
# The game runs until "quit": after a few seconds SIGTERM asks for it, as closing the
# window would.
status=0
"$build/bin/fernwold" "$@" -log &
game=$!
( sleep "${FERNWOLD_RUN_SECONDS:-5}"; kill -TERM "$game" 2>/dev/null || true ) &
stopper=$!
wait "$game" || status=$?
kill "$stopper" 2>/dev/null || true
wait "$stopper" 2>/dev/null || true
if [ -f "$build/bin/quarn3d.log" ]; then
  cat "$build/bin/quarn3d.log"
fi
echo "run: fernwold exited with $status"
exit "$status"
