// The game benchmarks' main: before any benchmark runs it forks the clean copy of the
// process that the hunt frame starts the whole game from (bench_support.h), then runs
// the benchmarks as Google Benchmark's own main does.
#include <benchmark/benchmark.h>

#include "bench_support.h"

int main(int argc, char **argv) {
    quarn::bench::start_clean_process();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    quarn::bench::stop_clean_process();
    return 0;
}
