// Mounting a 40000-entry archive beside libzip opening and indexing the same file in
// the same run. Both read the archive from disk each time (from the page cache) and
// find one name, so each does the whole work of making the archive usable.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "zip_writer.h"

namespace {

constexpr int ENTRIES = 40000;
const char *PROBE = "data/d123/f24680.bin";

// 200 folders of 200 small files, written once per run to the temporary folder.
struct archive_file_t {
    archive_file_t() {
        path = (std::filesystem::temp_directory_path() / ("zip_mount_bench_" + std::to_string(getpid()) + ".tzk")).string();
        zippack::zip_writer_t w;
        char name[64];
        for (int i = 0; i < ENTRIES; ++i) {
            snprintf(name, sizeof name, "data/d%03d/f%05d.bin", i / 200, i);
            w.add_file(name, "sixteen bytes..");
        }
        w.write(path);
        quarn::fs_startup();
    }
    ~archive_file_t() {
        quarn::fs_shutdown();
        std::remove(path.c_str());
    }
    std::string path;
};

const archive_file_t &archive() {
    static archive_file_t a;
    return a;
}

void bm_zip_mount_quarn(benchmark::State &state) {
    const std::string &path = archive().path;
    const std::string probe = std::string("/") + PROBE;
    for (auto _ : state) {
        quarn::auto_ptr_t<quarn::file_t> file = quarn::fs_open(path.c_str(), quarn::FS_REALM_SYSTEM);
        quarn::zip_device_t zip(file);
        quarn::fs_stat_t st;
        if (!zip.is_valid() || !zip.stat(probe.c_str(), &st)) state.SkipWithError("mount failed");
        benchmark::DoNotOptimize(st);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ENTRIES);
}

void bm_zip_mount_libzip(benchmark::State &state) {
    const std::string &path = archive().path;
    for (auto _ : state) {
        int error = 0;
        zip_t *zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
        if (!zip || zip_name_locate(zip, PROBE, 0) < 0) state.SkipWithError("libzip open failed");
        benchmark::DoNotOptimize(zip);
        if (zip) zip_discard(zip);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ENTRIES);
}

}  // namespace

BENCHMARK(bm_zip_mount_quarn)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_zip_mount_libzip)->Unit(benchmark::kMillisecond);
