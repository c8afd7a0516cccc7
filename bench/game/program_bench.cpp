// The boot to the main menu: the built "fernwold", started as the run command starts
// it (the fixed clock of 40 ms a pass, fresh home and settings folders), plays
// "boot_menu.script": a key ends the start screen at the earliest frame it can, the
// menu controller starts the background map and shows the main menu, the first frame
// of the menu over its map is drawn at 1024 x 768 and presented, and the run quits
// right after it (Left Alt + F4, whose "quit" runs at the end of that frame's pass).
// One iteration is one run of the program, from its start to its exit: the start-up,
// the scheduler's first passes with the start screen's two frames, the pass of the
// first menu frame (the map's start, its drawing, the present), and the quit (the
// shutdown of the map, the renderer and the sound device). Every run's log must show
// the map loaded and the quit after it, or the benchmark fails. Goal on a release
// build: 300 ms.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "platform/process.h"
#include "platform/user_dirs.h"

namespace {

namespace fs = std::filesystem;

class quiet_t : public quarn::platform::process_output_t {
public:
    void on_stdout(const char *, size_t) override {}
    void on_stderr(const char *, size_t) override {}
};

// True when the log shows the background map loaded and then the quit: the run
// reached the main menu before it ended.
bool reached_menu(const std::string &log_path) {
    std::ifstream in(log_path);
    std::string line;
    bool loaded = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find("[game] ...load successful") != std::string::npos) loaded = true;
        if (loaded && line.size() >= 4 && line.compare(line.size() - 4, 4, "quit") == 0) return true;
    }
    return false;
}

void BM_boot_to_menu(benchmark::State &state) {
    const std::string bin = quarn::bench::bin_dir(), program = bin + "/fernwold";
    const fs::path folders = fs::temp_directory_path() / ("fernwold_bench_" + std::to_string(getpid()));
    const std::string documents = (folders / "documents").string(), config = (folders / "config").string(),
                      runtime = (folders / "runtime").string();
    // The variables are given back as they were: benchmarks that ran before this one
    // in the process (the hunt frame's game) keep their folders.
    const char *const names[] = {"XDG_DOCUMENTS_DIR", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "FERNWOLD_FIXED_STEP_US",
                                 "FERNWOLD_INPUT_SCRIPT"};
    constexpr int NAMES = 5;
    std::string saved[NAMES];
    bool had[NAMES];
    for (int i = 0; i < NAMES; ++i) {
        const char *value = getenv(names[i]);
        had[i] = value != nullptr;
        if (value) saved[i] = value;
    }
    setenv("XDG_DOCUMENTS_DIR", documents.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    // The sound library's client keeps its runtime files there, not in the system's
    // temporary folder.
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("FERNWOLD_FIXED_STEP_US", "40000", 1);
    setenv("FERNWOLD_INPUT_SCRIPT", (bin + "/boot_menu.script").c_str(), 1);
    const std::string log = (folders / "boot.log").string();
    const char *argv[] = {program.c_str(), "-log", log.c_str(), nullptr};
    quiet_t quiet;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folders);
        fs::create_directories(documents);
        fs::create_directories(config);
        fs::create_directories(runtime);
        state.ResumeTiming();
        int exit_code = -1;
        if (!quarn::platform::process_run(argv, &quiet, &exit_code) || exit_code != 0) {
            state.SkipWithError(("the run of " + program + " failed").c_str());
            break;
        }
        state.PauseTiming();
        const bool menu = reached_menu(log);
        state.ResumeTiming();
        if (!menu) {
            state.SkipWithError(("the run of " + program + " did not reach the main menu").c_str());
            break;
        }
    }
    for (int i = 0; i < NAMES; ++i) {
        if (had[i])
            setenv(names[i], saved[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
    fs::remove_all(folders);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_boot_to_menu)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
