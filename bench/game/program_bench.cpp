// The whole program as the run command starts it: the built "fernwold" boots to the
// main menu and quits through the quit question, played by "menu_quit.script" on the
// fixed clock, in fresh home and settings folders. One iteration is one run of the
// program, start to exit. Goal on a release build: under 300 ms a run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

void BM_boot_to_menu_and_quit(benchmark::State &state) {
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
    setenv("FERNWOLD_INPUT_SCRIPT", (bin + "/menu_quit.script").c_str(), 1);
    const char *argv[] = {program.c_str(), nullptr};
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
BENCHMARK(BM_boot_to_menu_and_quit)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
