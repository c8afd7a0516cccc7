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
cmake --build "$build"
if [ -x "$build/bin/fernwold" ]; then
  exec "$build/bin/fernwold" "$@"
fi
echo "run: the game program fernwold is not built yet; the core libraries are in $build/bin"
