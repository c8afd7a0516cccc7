// Reads arbitrary bytes as behaviour files. The input is cut at each "\n--\n" into up
// to four files, "/fuzz/main.zba", "/fuzz/a.zba.part", "/fuzz/sub/b.zba.part" and
// "/fuzz/c.zba.bhv", served from memory, so that includes (relative and absolute ones,
// nesting, missing files) are read too. A file that parses gets its durations with
// every natural length 1.0 (no models), is dumped, and every behaviour, feature and
// state is found again by its name. Then every behaviour, every complex and every
// simple transition is compiled (through the file's program caches, with the memory
// manager of the program), listed, and run as a process for a few frames on recorded
// channels, then stopped, faded and released; a call on a channel that is not held, a
// weight outside 0..1, a negative advance or an item left behind is a fault.
#include <strings.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/ai/zba/zba_compile.h"
#include "game/ai/zba/zba_dump.h"
#include "game/ai/zba/zba_host.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_listing.h"
#include "game/ai/zba/zba_parse.h"
#include "game/ai/zba/zba_proc.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_item.h"
#include "support/served_files.h"
#include "support/zba_recorder.h"

namespace {

const char *const names[] = {"/main.zba", "/a.zba.part", "/sub/b.zba.part", "/c.zba.bhv"};

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

quarn::test::served_files_t *files = nullptr;

bool set_up() {
    static quiet_t quiet;
    // The memory manager holds the programs and processes.
    static const char *args[] = {"fuzz", "-mm_pool_size", "32"};
    quarn::cdl_init(3, args);
    quarn::process_table_setup();
    quarn::mm_init();
    quarn::fs_startup();
    static quarn::test::served_files_t device;
    files = &device;
    return quarn::ufs_mount_device(&device, "/fuzz", 1);
}

void visit(quarn::zba_info_t info) {
    info.compute_durations();
    quarn::string_dyn_t<> text;
    if (!quarn::zba_dump(info, text)) abort();
    for (uint32_t i = 0; i < info.behavior_count(); ++i) {
        const int32_t found = info.find_behavior(info.behavior(i).name());
        // Names compare without regard to case, so an earlier one may answer.
        if (found < 0 || uint32_t(found) > i) abort();
        if (strcasecmp(info.behavior(uint32_t(found)).name(), info.behavior(i).name()) != 0) abort();
    }
    for (uint32_t f = 0; f < info.feature_count(); ++f) {
        const quarn::zba_feature_t feature = info.feature(f);
        const int32_t found = info.find_feature(feature.name());
        if (found < 0 || uint32_t(found) > f) abort();
        for (uint32_t s = 0; s < feature.state_count(); ++s) {
            const int32_t state = feature.find_state(feature.state_name(s));
            if (state < 0 || uint32_t(state) > s) abort();
            const int32_t simple = feature.simple_transition(s);
            if (simple != -1 && (simple < 0 || uint32_t(simple) >= info.simple_count())) abort();
        }
    }
}

// Runs the program as a process for a few frames, with a stop, a fade and a release.
void run(quarn::zba_host_t &host, quarn::test::zba_recorder_t &channels, quarn::c_item_t *program) {
    quarn::string_dyn_t<> text;
    if (!quarn::zba_listing(program, text)) abort();
    quarn::c_item_ptr_t process = quarn::zba_clone(host, program, nullptr, 10);
    if (!process) abort();
    for (int i = 0; i < 6; ++i) host.update(0.1f);
    host.update(30.0f);
    quarn::zba_proc_t::stop(host, process.get(), true, 4.0f);
    host.update(0.1f);
    quarn::zba_proc_t::release(host, process);
    host.update(0.1f);
    if (host.get_process_count() != 0 || channels.in_use() != 0 || channels.faults != 0) abort();
}

void compile_and_run(quarn::zba_info_t info) {
    const uint32_t items = quarn::mm_get_process()->get_manager().get_item_count();
    {
        quarn::test::zba_recorder_t channels;
        channels.record = false;
        quarn::zba_host_t host(info.runtime()->item, &channels);
        for (uint32_t b = 0; b < info.behavior_count(); ++b) {
            const quarn::c_item_ptr_t program = info.compiled_behavior(int32_t(b));
            // The cache answers the second time with the same program.
            if (program && info.compiled_behavior(int32_t(b)).get() != program.get()) abort();
            if (program) run(host, channels, program.get());
        }
        for (uint32_t c = 0; c < info.complex_count(); ++c) {
            const int32_t number = int32_t(c);
            const quarn::c_item_ptr_t program = info.compiled_transition(0, number, &number, 1, nullptr, 0);
            if (program) run(host, channels, program.get());
        }
        for (uint32_t s = 0; s < info.simple_count(); ++s) {
            const int32_t number = int32_t(s);
            const quarn::c_item_ptr_t program = info.compiled_transition(-1, number, nullptr, 0, &number, 1);
            if (program) run(host, channels, program.get());
        }
    }
    info.unload();
    quarn::mm_get_process()->get_manager().remove_unreferenced(-1, nullptr);
    // The items' units wait on the garbage list, which the kernel empties each pass.
    quarn::unit_system_t::clean_garbage();
    if (quarn::mm_get_process()->get_manager().get_item_count() != items) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = set_up();
    if (!ready) return 0;
    files->files.clear();
    std::string rest(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> parts;
    for (size_t cut; parts.size() < 3 && (cut = rest.find("\n--\n")) != std::string::npos; rest.erase(0, cut + 4))
        parts.push_back(rest.substr(0, cut));
    parts.push_back(rest);
    for (size_t i = 0; i < parts.size(); ++i) files->files[names[i]] = parts[i];

    quarn::zba_parser_t parser;
    if (!parser.parse_file("/fuzz/main.zba")) return 0;
    if (parser.image_size() > quarn::zba_layout::IMAGE_CAPACITY) abort();
    // The parser's block stands as the loaded file's item.
    quarn::test::fake_item_t file;
    file.flags = quarn::c_item_t::MEMORY_VALID | quarn::c_item_t::MLRU_DISALLOWED;
    file.data = parser.image();
    file.size = parser.image_size();
    quarn::zba_runtime_t runtime;
    runtime.item = &file;
    const quarn::zba_info_t info(parser.image(), &runtime);
    visit(info);
    compile_and_run(info);
    if (file.ref_count != 0) abort();
    return 0;
}
