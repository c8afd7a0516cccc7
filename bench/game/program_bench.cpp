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
    const std::string documents = (folders / "documents").string(), config = (folders / "config").string();
    setenv("XDG_DOCUMENTS_DIR", documents.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("FERNWOLD_FIXED_STEP_US", "40000", 1);
    setenv("FERNWOLD_INPUT_SCRIPT", (bin + "/menu_quit.script").c_str(), 1);
    const char *argv[] = {program.c_str(), nullptr};
    quiet_t quiet;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(folders);
        fs::create_directories(documents);
        fs::create_directories(config);
        state.ResumeTiming();
        int exit_code = -1;
        if (!quarn::platform::process_run(argv, &quiet, &exit_code) || exit_code != 0) {
            state.SkipWithError(("the run of " + program + " failed").c_str());
            break;
        }
    }
    for (const char *name : {"XDG_DOCUMENTS_DIR", "XDG_CONFIG_HOME", "FERNWOLD_FIXED_STEP_US", "FERNWOLD_INPUT_SCRIPT"})
        unsetenv(name);
    fs::remove_all(folders);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_boot_to_menu_and_quit)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
