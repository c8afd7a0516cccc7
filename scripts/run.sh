#!/usr/bin/env bash
# Builds the release tree and runs the game's main job headless: the program plays an
# input script on the fixed clock, in fresh home and settings folders, so every run
# is the same. Arguments are passed on to the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFERNWOLD_TESTS=OFF -DFERNWOLD_BENCH=OFF >/dev/null
cmake --build "$build" ${FERNWOLD_JOBS:+-j "$FERNWOLD_JOBS"}

# Fresh folders for the game's home ("/home", in the documents folder) and for the
# settings store.
run="$build/run"
rm -rf "$run"
mkdir -p "$run/documents" "$run/config"
export XDG_DOCUMENTS_DIR="$run/documents"
export XDG_CONFIG_HOME="$run/config"
# Test support (docs/kernel.md, docs/formats/input-script.md): a clock that moves 40 ms
# a scheduler pass, and the input of a script. The script boots to the main menu and
# quits through the quit question.
export FERNWOLD_FIXED_STEP_US=40000
export FERNWOLD_INPUT_SCRIPT="$build/bin/menu_quit.script"

# The program writes its log only when asked; a "-log" of the caller's comes first
# and wins.
rm -f "$build/bin/quarn3d.log"
status=0
"$build/bin/fernwold" "$@" -log &
game=$!
# A script that no longer ends its run would leave the program running: after
# FERNWOLD_RUN_SECONDS (default 300) SIGTERM asks for "quit", and the run counts as
# failed.
( sleep "${FERNWOLD_RUN_SECONDS:-300}"; kill -TERM "$game" 2>/dev/null && touch "$run/stopped" ) &
stopper=$!
wait "$game" || status=$?
kill "$stopper" 2>/dev/null || true
wait "$stopper" 2>/dev/null || true
if [ -f "$build/bin/quarn3d.log" ]; then
  cat "$build/bin/quarn3d.log"
fi
scores="$XDG_DOCUMENTS_DIR/Fernwold/scores.unit"
if [ -f "$scores" ]; then
  echo "---- /home/scores.unit"
  cat "$scores"
fi
if [ -f "$run/stopped" ]; then
  echo "run: the input script did not end the run; it was stopped after ${FERNWOLD_RUN_SECONDS:-300} s"
  [ "$status" -ne 0 ] || status=1
fi
echo "run: fernwold exited with $status"
exit "$status"
