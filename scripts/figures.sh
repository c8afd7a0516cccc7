#!/usr/bin/env bash
# Measures the engine's budget figures side by side in one run and writes them, with
# the machine, its cores, the load average and the date of the run, to
# docs/performance.md (the page is generated: edit this script, not the page).
#
# Builds the release tree (build/release, as the run command does) with its
# benchmark programs when they are missing or stale, then runs two invocations, each
# with its benchmarks interleaved in random order over the repetitions: the core's
# figures beside their peers in bench_qrncore, then the game's in bench_game. The
# medians of the repetitions come from Google Benchmark's JSON output. A developer's
# tool for a release build: never run by the tests.
#
# FIGURES_CORE_REPETITIONS (default 9) and FIGURES_GAME_REPETITIONS (default 3) set
# the repetitions; with the defaults a run takes some four to nine minutes on a busy
# machine of 8 cores, most of it the game's figures (each of their repetitions boots
# the game, starts round 1 and draws its frames on the software rasteriser). The hunt
# frame is round 1 as it plays; its figures with more targets and a herd (whose start
# alone takes a minute a repetition) are docs/hunt.md's. FERNWOLD_JOBS (default 3)
# sets the build's jobs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1

core_reps="${FIGURES_CORE_REPETITIONS:-9}"
game_reps="${FIGURES_GAME_REPETITIONS:-3}"
build="$root/build/release"
page="$root/docs/performance.md"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFERNWOLD_TESTS=OFF -DFERNWOLD_BENCH=ON >/dev/null
cmake --build "$build" -j "${FERNWOLD_JOBS:-3}"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# The renderer's frame is timed on the software rasteriser's own threads, one a core
# (its goal is for 8 cores): a thread limit of the caller's (the tests set one) would
# make it another figure.
unset LP_NUM_THREADS

# Each benchmark by its exact name: the core's pairs, then the game's figures.
core='^(bm_unit_file_read|bm_rapidjson_dom_parse|bm_vptrhash_put|bm_unordered_map_put|bm_crc32_(quarn|zlib)/1048576)$'
game='^(BM_hunt_frame/targets:0/herd:0/.*|BM_boot_to_menu/.*|BM_render_frame/.*)$'

started=$(date -u '+%Y-%m-%d %H:%M UTC')
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
seconds_start=$SECONDS
run() {
  local program=$1 filter=$2 reps=$3 json=$4
  echo "figures: $program, $reps repetitions (load average $(cut -d' ' -f1-3 /proc/loadavg))"
  "$build/bench/$program" --benchmark_filter="$filter" \
    --benchmark_enable_random_interleaving=true --benchmark_repetitions="$reps" \
    --benchmark_out="$json" --benchmark_out_format=json
}
run bench_qrncore "$core" "$core_reps" "$out/core.json"
run bench_game "$game" "$game_reps" "$out/game.json"
load_end=$(cut -d' ' -f1-3 /proc/loadavg)
minutes=$(((SECONDS - seconds_start + 30) / 60))

# The commit measured, and whether the tree had changes of its own (a page of an
# earlier run left uncommitted is none).
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no -- . ':!docs/performance.md' 2>/dev/null)" ]; then
  commit="$commit with changes"
fi
cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')

status=0
FIG_STARTED=$started FIG_MINUTES=$minutes FIG_COMMIT=$commit FIG_CPU=$cpu FIG_CORES=$(nproc) \
  FIG_LOAD_START=$load_start FIG_LOAD_END=$load_end FIG_CORE_REPS=$core_reps \
  FIG_GAME_REPS=$game_reps \
  python3 - "$out/core.json" "$out/game.json" "$out/performance.md" <<'EOF' || status=$?
import json, os, sys

core_path, game_path, page_path = sys.argv[1:4]
errors = []

def load(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    medians, failed = {}, {}
    for r in runs:
        name = r.get("run_name", r["name"])
        if r.get("error_occurred"):
            failed[name] = r.get("error_message", "failed")
        elif r.get("aggregate_name") == "median":
            medians[name] = r
    return medians, failed

core, core_failed = load(core_path)
game, game_failed = load(game_path)
failed = {**core_failed, **game_failed}

def median(runs, name, field):
    r = runs.get(name)
    if r is None:
        errors.append(name + ": " + failed.get(name, "no result"))
        return None
    # Times in their own unit; this page gives milliseconds and microseconds.
    value = r[field]
    if field in ("real_time", "cpu_time"):
        value *= {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[r["time_unit"]]
    return value

def num(v, digits=0):
    return "—" if v is None else f"{v:,.{digits}f}"

def met(ok):
    return "—" if ok is None else ("met" if ok else "**not met**")

rows = []

def pair(line, ours, peer, field, scale, unit, goal, goal_text, digits=1):
    a, b = median(core, ours, field), median(core, peer, field)
    ratio = a / b if a is not None and b else None
    rows.append((line, f"{num(a and a * scale, digits)} {unit}", f"{num(b and b * scale, digits)} {unit}",
                 "—" if ratio is None else f"{ratio:.2f}×", goal_text,
                 met(None if ratio is None else ratio >= goal)))

def alone(line, value_text, value, goal, goal_text):
    rows.append((line, value_text, "—", "—", goal_text, met(None if value is None else value <= goal)))

# 1. The hunt frame: update, UI and the wave together (the counter budget_us).
name = "BM_hunt_frame/targets:0/herd:0/iterations:500/manual_time"
budget = median(game, name, "budget_us")
alone("1. hunt frame, round 1: update + UI + wave (processor time)", f"{num(budget)} µs", budget, 500.0, "< 500 µs")
r = game.get(name)
hunt_details = (f"update {r['update_us']:.0f} µs, UI {r['ui_us']:.0f} µs, wave {r['wave_us']:.0f} µs, with "
                f"{r['targets']:.1f} targets walking on average; the scene's drawing, outside the goal, "
                f"{r['draw_us'] / 1000:.1f} ms") if r else "no shares: the benchmark did not run"

# 2-4. The core beside its peers: rates (bytes or items a second of processor time).
pair("2. unit reader (100k units) vs RapidJSON DOM, same data", "bm_unit_file_read", "bm_rapidjson_dom_parse",
     "bytes_per_second", 1e-6, "MB/s", 0.5, "≥ 0.5×")
pair("3. hash insert (2964 keys) vs std::unordered_map", "bm_vptrhash_put", "bm_unordered_map_put",
     "items_per_second", 1e-6, "M/s", 1.0, "≥ 1×")
pair("4. CRC-32 of 1 MiB vs zlib", "bm_crc32_quarn/1048576", "bm_crc32_zlib/1048576",
     "bytes_per_second", 1e-9, "GB/s", 0.8, "≥ 0.8×", 2)

# 5. Boot to the first frame of the main menu: wall clock of the program's run, which
#    quits right after that frame.
boot = median(game, "BM_boot_to_menu/min_time:3.000/real_time", "real_time")
alone("5. boot to the first main-menu frame, then quit (wall clock)", f"{num(boot)} ms", boot, 300.0, "≤ 300 ms")

# 6. The frame drawn by the renderer at the game's mode: wall clock.
render_name = "BM_render_frame/iterations:60/manual_time"
render = median(game, render_name, "real_time")
alone("6. frame drawn by \"lib/gl\", 1024 × 768, llvmpipe (wall clock)", f"{num(render, 1)} ms", render, 33.0,
      "≤ 33 ms on 8 cores")
r = game.get(render_name, {})
render_details = (f"{r['draws']:.0f} draws, {r['program_changes']:.0f} program changes, {r['texture_binds']:.0f} "
                  f"texture binds and {r['vertices'] / 1000:.0f} k vertices a frame") if r else "no counts"

env = os.environ
lines = [
    "# Performance figures",
    "",
    "Generated by `scripts/figures.sh` (do not edit by hand; run the script again to",
    "regenerate it). One run, every pair measured side by side in the same invocation,",
    "benchmarks interleaved in random order over the repetitions, medians of the",
    "repetitions.",
    "",
    f"- Run: {env['FIG_STARTED']}, about {env['FIG_MINUTES']} minutes, commit {env['FIG_COMMIT']}, release build",
    "  (`build/release`, RelWithDebInfo).",
    f"- Machine: {env['FIG_CPU']}, {env['FIG_CORES']} cores.",
    f"- Load average (1, 5, 15 minutes): {env['FIG_LOAD_START']} at the start, {env['FIG_LOAD_END']} at the end;",
    "  the machine is shared, so figures of wall-clock time move with it.",
    f"- Repetitions: {env['FIG_CORE_REPS']} for the core's pairs (`bench_qrncore`), {env['FIG_GAME_REPS']} for the",
    f"  game's figures (`bench_game`).",
    "",
    "| line | ours | peer | ratio | goal | |",
    "| --- | ---: | ---: | ---: | --- | --- |",
]
lines += ["| " + " | ".join(row) + " |" for row in rows]
lines += [
    "",
    "## The lines",
    "",
    "1. One frame of round 1 on \"valley\" as the game plays it (its own targets, no",
    "   further targets or herd), 500 frames of 40 ms a",
    "   repetition, each repetition booted in a child process with the same seed",
    "   (`BM_hunt_frame`, bench/game/hunt_frame_bench.cpp). The figure is the counter",
    "   `budget_us`: the scene's update, the UI and the update of the water's wave",
    "   texture, on the thread's processor clock; the scene's drawing is timed beside",
    "   it but is not part of the goal, and so is the frame's end (the renderer",
    "   finishing and presenting it). The UI's share counts its draws handed to",
    "   \"lib/gl\" too, whose driver (here the software rasteriser) does part of its work",
    "   on the calling thread. Goal: under 0.5 ms. Shares (medians): " + hunt_details + ".",
    "   These shares with more targets and a herd, and their analysis: docs/hunt.md.",
    "2. Reading a unit file of 100k units with two references each into real units",
    "   (`bm_unit_file_read`, bench/qrncore/unit_file_bench.cpp) beside RapidJSON's DOM",
    "   parse of the same data as JSON (`bm_rapidjson_dom_parse`), neither timing its",
    "   teardown; the ratio is of bytes a second of processor time. Goal: at least half",
    "   the peer's rate. Analysis: docs/units.md.",
    "3. Inserting 2964 keys (unit classes, archive paths) into a fresh `vptrhash_t`",
    "   (`bm_vptrhash_put`, bench/qrncore/collections_bench.cpp) beside",
    "   `std::unordered_map<std::string, void *>`; the ratio is of inserts a second.",
    "   Goal: at least as fast. Analysis: docs/containers.md.",
    "4. CRC-32 of 1 MiB (`bm_crc32_quarn`, bench/qrncore/checksum_bench.cpp) beside",
    "   zlib's `crc32`; the ratio is of bytes a second. Goal: at least 0.8 of zlib's",
    "   rate. Analysis: docs/numerics.md.",
    "5. The built program booted to the main menu by `boot_menu.script` on the fixed",
    "   clock, in fresh folders (`BM_boot_to_menu`, bench/game/program_bench.cpp);",
    "   wall clock from the program's start to its exit. A key ends the start screen at",
    "   the earliest frame, the background map starts and the first frame of the main",
    "   menu over it is drawn at 1024 × 768 on the software rasteriser and presented;",
    "   the run quits right after that frame, so the figure is the boot to the menu",
    "   plus the program's shutdown. Goal: 300 ms. Analysis: docs/game-process.md.",
    "6. One frame of round 1 (20 targets, a herd of 20) drawn by the renderer plug-in",
    "   \"lib/gl\" at the game's mode, 1024 × 768, off-screen on Mesa's software",
    "   rasteriser (llvmpipe, a thread a core) and one pixel read back",
    "   (`BM_render_frame`, bench/game/hunt_frame_bench.cpp); wall clock, 60 frames a",
    f"   repetition: {render_details}. Goal: 33 ms on 8 cores (30 frames a second).",
    "   Analysis: docs/graphics.md.",
]
if errors:
    lines += ["", "## Not measured", ""] + [f"- {e}" for e in errors]
with open(page_path, "w") as f:
    f.write("\n".join(lines) + "\n")
sys.exit(1 if errors else 0)
EOF
[ -f "$out/performance.md" ] || { echo "figures: no page written" >&2; exit 1; }
mv "$out/performance.md" "$page"
echo "figures: wrote $page"
cat "$page"
exit "$status"
