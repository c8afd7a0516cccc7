#!/usr/bin/env bash
# Builds the release tree and runs the game's main job headless: the program plays an
# input script on the fixed clock, in fresh home and settings folders, so every run
# is the same, and takes the pictures of its telling moments, which end up under
# names of their moments beside their contact sheet (docs/pictures.md). Arguments
# are passed on to the program.
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
# a scheduler pass (25 frames a second, above the 19 below which the round screen
# offers its performance tip), and the input of a script. The script plays round 1
# of a new game: the hunter shoots the first buck, the round runs out, the score goes
# into the high-score table under "Hunter", and the program quits through the quit
# question.
export FERNWOLD_FIXED_STEP_US=40000
export FERNWOLD_INPUT_SCRIPT="$build/bin/round1.script"

# The program writes its log only when asked; a "-log" of the caller's comes first
# and wins. "g_screenshot_ui" keeps the UI and the scope in the script's screenshots,
# so that the pictures show what a player sees.
rm -f "$build/bin/quarn3d.log"
# A script that no longer ends its run would leave the program running: after
# FERNWOLD_RUN_SECONDS (default 300) SIGTERM asks for "quit", and the run counts as
# failed (timeout's status 124).
seconds="${FERNWOLD_RUN_SECONDS:-300}"
status=0
timeout "$seconds" "$build/bin/fernwold" -lenv g_screenshot_ui=1 "$@" -log || status=$?
if [ -f "$build/bin/quarn3d.log" ]; then
  cat "$build/bin/quarn3d.log"
fi
scores="$XDG_DOCUMENTS_DIR/Fernwold/scores.unit"
if [ -f "$scores" ]; then
  echo "---- /home/scores.unit"
  cat "$scores"
fi
if [ "$status" -eq 124 ]; then
  echo "run: the input script did not end the run; it was stopped after $seconds s"
fi
echo "run: fernwold exited with $status"

# The script's pictures, numbered in the order it took them, under the names of their
# moments, and the contact sheet of them all beside them.
shots="$XDG_DOCUMENTS_DIR/Fernwold/screenshots"
moments=(1_main_menu 2_round_start 3_along_the_clearing 4_buck_in_the_sights 5_after_the_kill
  6_round_result 7_high_scores)
pictures=()
for i in "${!moments[@]}"; do
  numbered="$shots/$(printf 'fernwold_%05d.png' "$i")"
  named="$shots/${moments[$i]}.png"
  if [ -f "$numbered" ]; then
    mv -f "$numbered" "$named"
    pictures+=("$named")
  else
    echo "run: picture $i (${moments[$i]}) was not taken"
    [ "$status" -ne 0 ] || status=1
  fi
done
if [ "${#pictures[@]}" -gt 0 ]; then
  sheet="$shots/contact_sheet.png"
  "$build/host-tools/contactsheet" "$root/data/builtin/system/font/default.font" "$build/gen/builtin" \
    "$sheet" "${pictures[@]}" || { [ "$status" -ne 0 ] || status=1; }
  echo "run: pictures in $shots:"
  for picture in "${pictures[@]}" "$sheet"; do
    [ -f "$picture" ] && echo "  $(basename "$picture") ($(stat -c %s "$picture") bytes)"
  done
fi
exit "$status"
