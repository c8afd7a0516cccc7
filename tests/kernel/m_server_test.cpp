// The memory manager's process: the pool's size and reservation, the "mm_" commands,
// the "plain" type with its fall-back loader, shutdown, and the heap wrappers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/memory/mem_sys.h"
#include "mm_fixture.h"
#include "outside/qrnshared/shared_resource_tie.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/crash_log.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn {

// The game's release of its "kdop" resources: here it only counts its calls.
int kdop_release_calls = 0;
void kdop_u_free_unreferenced() { ++kdop_release_calls; }

namespace test {
namespace {

constexpr size_t MiB = size_t(1) << 20;

void set_command_line(std::vector<const char *> args) {
    args.insert(args.begin(), "fernwold");
    cdl_init(int(args.size()), args.data());
}

TEST(mm_pool, the_size_asked_for_follows_the_option_and_the_machine) {
    const struct {
        std::vector<const char *> args;
        uint64_t physical;
        size_t expected;
    } cases[] = {
        {{}, uint64_t(8) << 30, 150 * MiB},
        {{"-mm_pool_size", "8"}, uint64_t(8) << 30, 32 * MiB},  // below 32 MiB
        {{"-mm_pool_size", "0x40"}, uint64_t(8) << 30, 64 * MiB},
        {{"-mm_pool_size", "4096"}, uint64_t(1) << 30, size_t((uint64_t(1) << 30) * 2 / 3)},
        {{"-mm_pool_size", "64", "128"}, uint64_t(8) << 30, 150 * MiB},  // not exactly one value
        {{"-mm_pool_size"}, uint64_t(8) << 30, 150 * MiB},
        {{}, 120 * MiB, 80 * MiB},  // two thirds of the machine
    };
    for (const auto &c : cases) {
        set_command_line(c.args);
        EXPECT_EQ(mm_pool_request(c.physical), c.expected) << (c.args.empty() ? "" : c.args.back());
    }
    set_command_line({});
}

// A reservation that works only up to a size, and a heap that never works.
size_t reserve_limit = 0;
std::vector<size_t> reserve_tries;
void *limited_reserve(size_t bytes) {
    reserve_tries.push_back(bytes);
    return bytes <= reserve_limit ? std::aligned_alloc(16, 4096) : nullptr;
}
void limited_release(void *memory, size_t) { std::free(memory); }
void *no_heap(size_t) { return nullptr; }
void heap_free(void *memory) { std::free(memory); }
const mm_pool_source_t limited{limited_reserve, limited_release, no_heap, heap_free};

TEST(mm_pool, a_failed_reservation_retries_16_MiB_lower) {
    message_capture_t log;
    vprocess_t logger(0);
    logger.set_name("mm");
    reserve_tries.clear();
    reserve_limit = 100 * MiB;
    size_t size = 130 * MiB;
    bool from_heap = true;
    void *memory = mm_pool_alloc(logger, limited, &size, &from_heap);
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(size, 98 * MiB);
    EXPECT_FALSE(from_heap);
    EXPECT_EQ(reserve_tries, (std::vector<size_t>{130 * MiB, 114 * MiB, 98 * MiB}));
    EXPECT_TRUE(log.contains("[mm] Trying to allocate memory pool (133120K)"));
    EXPECT_TRUE(log.contains("[mm] Virtual memory allocation failed... error code"));
    EXPECT_TRUE(log.contains("[mm] Using malloc fallback."));
    std::free(memory);

    reserve_limit = 0;
    size = 40 * MiB;
    temp_dir_t dir;
    EXPECT_EXIT(
        {
            message_stdio_t out;
            mm_pool_alloc(logger, limited, &size, &from_heap);
        },
        ::testing::ExitedWithCode(255), "Memory allocation failed.");
}

// A running scheduler with the shared layer bound and one "mm" process in it.
class mm_server : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        set_command_line({"-mm_pool_size", "32"});
        qrnshared_init(dl_lib_t::get_main_handle());
        cmd_register_builtins();
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 0);
        mm_init();
        process = mm_get_process();
        ASSERT_NE(process, nullptr);
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();  // stops the process
        EXPECT_EQ(mm_get_process(), nullptr);
        EXPECT_EQ(get_engine_usystem(), nullptr);
        ufs_unmount(m_mount);
        fs_shutdown();
        qrnshared_shutdown();
        set_command_line({});
    }

    temp_dir_t dir;  // mounted at "/t"
    fs_device_t *m_mount = nullptr;
    mm_process *process = nullptr;
    message_capture_t log;
};

TEST_F(mm_server, boots_with_the_engine_unit_system_as_the_default) {
    EXPECT_EQ(process_get("mm"), process);
    EXPECT_EQ(process->priority, 0);
    ASSERT_NE(get_engine_usystem(), nullptr);
    EXPECT_EQ(unit_system_t::get_default(), get_engine_usystem());
    EXPECT_EQ(&get_engine_usystem()->get_bank(), get_engine_ubank());
    EXPECT_EQ(get_engine_ubank()->get_descriptor("plain"), &plain_u::unit_descriptor);
    EXPECT_EQ(process->get_pool_size(), 32 * MiB);
    EXPECT_TRUE(log.contains("[mm] physical memory detected ("));
    EXPECT_TRUE(log.contains("[mm] Trying to allocate memory pool (32768K)"));
    EXPECT_EQ(process->get_manager().get_loader_count(), 1u) << "the fall-back loader";
}

TEST_F(mm_server, raw_memory_through_the_exports) {
    void *p = mm_alloc_mem(100);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(m_manager::block_of(p)->owner(), nullptr);
    mm_free_mem(p);
    mm_free_mem(nullptr);
    EXPECT_EQ(process->get_manager().get_free_block_count(), 1u);
}

TEST_F(mm_server, plain_files_load_whole_and_hold_the_process) {
    ASSERT_TRUE(write_file(dir.file("notes.txt"), "twelve bytes"));
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD_REF, "/t/notes.txt");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->get_unit()->get_descriptor(), &plain_u::unit_descriptor) << "guessed by the fall-back loader";
    ASSERT_EQ(item->size, 12u);
    EXPECT_EQ(std::string(static_cast<const char *>(item->data), 12), "twelve bytes");
    EXPECT_EQ(process->hold_count, 1);

    EXPECT_EQ(mm_obtain_resource(MM_NAMED_LOAD, "/t/absent.txt"), nullptr);
    EXPECT_EQ(process->hold_count, 1) << "the failed item let go of the process";
    item->release_ref();
    EXPECT_EQ(process->hold_count, 1) << "cached: still bound";
    mm_remove_unreferenced();  // it holds memory: stays
    _mm_mem_free_unreferenced(-1, nullptr);
    EXPECT_EQ(process->hold_count, 0);
}

TEST_F(mm_server, shutdown_releases_cached_plain_items_before_the_process_goes) {
    ASSERT_TRUE(write_file(dir.file("a.txt"), "a"));
    ASSERT_NE(mm_obtain_resource(MM_NAMED_LOAD, "/t/a.txt"), nullptr);
    ASSERT_EQ(process->hold_count, 1);
    process_terminate_all();
    kernel_step();  // signal 1 -> 2
    kernel_step();  // draining: the plain item is released, the hold goes
    EXPECT_EQ(process->hold_count, 0);
    kernel_step();
    EXPECT_EQ(process_get("mm"), nullptr);
}

TEST_F(mm_server, a_shutdown_that_never_drains_aborts_on_the_102nd_pass) {
    c_item_t *held = mm_obtain_resource(MM_NAMED_REF, "/t/held");
    temp_dir_t crash;
    dumper_set_file_name(crash.file("abort.crash").c_str());
    // All in the child: the pass count lives as long as the process.
    EXPECT_DEATH(
        {
            message_stdio_t out;
            process->signal = vprocess_t::SIGNAL_DRAINING;
            for (int i = 0; i < 101; ++i) process->system();
            error("101 passes run");
            process->system();
        },
        "101 passes run(.|\n)*Number of safe iterations exceeded, aborting...");
    dumper_set_file_name(nullptr);
    held->release_ref();
}

TEST_F(mm_server, mm_dump_reads_its_letters_in_turn) {
    c_item_t *item = mm_obtain_resource(MM_NAMED_REF, "/t/x");
    const struct {
        const char *line;
        const char *shown;
        const char *not_shown;
    } cases[] = {
        {"mm_dump", "Items in memory manager", "Blocks in"},
        {"mm_dump ic", "Items in memory manager", "Usage"},
        {"mm_dump bc", "Blocks in memory manager", "Items in"},
        {"mm_dump m", "Memory LRU contains 0 entries", "Items in memory manager"},
        {"mm_dump ?", " s - shared", "Items in"},
        {"mm_dump ix", "Usage: mm_dump [?bim] (help, blocks, items, mlru) [c] (children)", "Items in"},
        {"mm_flush ?", "usage: mm_flush [hw-type]", "Items in"},
        {"mm_flush 1 2", "usage: mm_flush [hw-type]", "Items in"},
        {"mm_sys", "system memory usage : ", "Items in"},
        {"mm_check", "[mem] integrity check passed!", "uncounted"},
    };
    for (const auto &c : cases) {
        log.clear();
        EXPECT_TRUE(cmd_execute(c.line)) << c.line;
        EXPECT_TRUE(log.contains(c.shown)) << c.line;
        EXPECT_FALSE(log.contains(c.not_shown)) << c.line;
    }
    item->release_ref();
}

TEST_F(mm_server, mm_flush_and_mm_defrag_release_what_nobody_fixes) {
    for (const char *n : {"a", "b", "c"}) ASSERT_TRUE(write_file(dir.file(n), std::string(1000, n[0])));
    ASSERT_NE(mm_obtain_resource(MM_NAMED_LOAD, "/t/a"), nullptr);
    c_item_t *b = mm_obtain_resource(MM_NAMED_LOAD_REF, "/t/b");
    c_item_t *c = mm_obtain_resource(MM_NAMED_LOAD_REF, "/t/c");
    void *c_data = c->lock();
    EXPECT_TRUE(cmd_execute("mm_flush 0x7"));  // no item has that key
    EXPECT_EQ(process->get_manager().get_item_count(), 3u);
    EXPECT_TRUE(b->has(c_item_t::MEMORY_VALID));

    EXPECT_TRUE(cmd_execute("mm_defrag"));
    EXPECT_EQ(process->get_manager().find("/t/a"), nullptr);
    EXPECT_FALSE(b->has(c_item_t::MEMORY_VALID)) << "referenced but not fixed: its memory goes";
    EXPECT_EQ(c->data, c_data) << "fixed: kept in place";
    EXPECT_EQ(static_cast<const char *>(c->data)[999], 'c');
    c->unlock();
    b->release_ref();
    c->release_ref();
    EXPECT_TRUE(cmd_execute("mm_flush"));
    EXPECT_EQ(process->get_manager().get_item_count(), 0u);
    EXPECT_EQ(process->hold_count, 0);
}

TEST_F(mm_server, refresh_codes_and_their_warnings) {
    c_item_t *item = mm_obtain_resource(MM_NAMED_REF, "/t/r");
    EXPECT_EQ(mm_refresh_resource("/t/r"), REFRESH_UNSUPPORTED);
    EXPECT_EQ(mm_refresh_resource("/t/unknown"), REFRESH_FAILED);
    const struct {
        int code;
        const char *warning;
    } cases[] = {
        {1, "[mem] Could not refresh anonymous resource."},
        {2, "[mem] Could not refresh resource '/t/r', because it is an alias."},
        {3, "[mem] The resource '/t/r' does not support refreshing."},
        {4, "[mem] The resource '/t/r' could not be refreshed because it is locked."},
        {5, "[mem] The resource '/t/r' could not be refreshed because it is fixed in memory."},
        {6, "[mem] The resource '/t/r' could not be refreshed because it changed too much."},
        {7, "[mem] The resource '/t/r' could not be refreshed."},
        {-1, "[mem] The resource '/t/r' could not be refreshed."},
    };
    for (const auto &c : cases) {
        log.clear();
        mm_warn_refresh(c.code, item);
        EXPECT_EQ(log.texts(message_t::WARNING), (std::vector<std::string>{c.warning})) << c.code;
    }
    log.clear();
    mm_warn_refresh(0, item);
    EXPECT_TRUE(log.entries().empty());
    item->release_ref();
}

// What the lock hooks heard; set to 0 by the test that installs them, so that a
// repeated run starts from nothing.
int hook_locks = 0, hook_unlocks = 0;

TEST_F(mm_server, the_game_support_release_forwards_to_the_game) {
    kdop_release_calls = 0;
    gamesup_release_unreferenced();
    EXPECT_EQ(kdop_release_calls, 1);
    int &locks = hook_locks, &unlocks = hook_unlocks;
    locks = unlocks = 0;
    set_gamesup_lock_hooks([] { ++hook_locks; }, [](unit_base_t *) { ++hook_unlocks; });
    gamesup_call_lock_hook();
    gamesup_call_unlock_hook(nullptr);
    EXPECT_EQ(locks, 1);
    EXPECT_EQ(unlocks, 1);
    set_gamesup_lock_hooks(nullptr, nullptr);
    gamesup_call_lock_hook();
    EXPECT_EQ(locks, 1);
}

TEST_F(mm_server, the_shared_layers_tie_counts_the_items_of_resource_attributes) {
    unit_resource_tie_t *tie = unit_resource_tie_t::get_installed();
    ASSERT_NE(tie, nullptr);
    ASSERT_TRUE(write_file(dir.file("bark.txt"), "bark"));
    const unit_attribute_t *texture = &tied_u::unit_attributes[0];
    const unit_attribute_t *layers = &tied_u::unit_attributes[1];
    owner_ptr_t<tied_u> unit(tied_u::create());
    ASSERT_TRUE(unit);

    // A unit file's text names the item; the loaded value is not counted until stored.
    unit_base_t *value = tie->load("/t/bark.txt", unit.get(), texture);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->get_descriptor(), &plain_u::unit_descriptor) << "the domain's class";
    c_item_t *item = static_cast<resource_unit_u *>(value)->get_item();
    EXPECT_EQ(item->ref_count, 0u);
    ASSERT_TRUE(unit->set_value(texture, value));
    EXPECT_EQ(item->ref_count, 1u);
    mstring_dyn_t name;
    EXPECT_TRUE(tie->get_resource_name(&name, value));
    EXPECT_EQ(name, "/t/bark.txt");
    EXPECT_FALSE(tie->check_resource_type(unit.get())) << "not a resource";
    EXPECT_FALSE(unit->set_value(texture, unit.get()));

    // Arrays: each element counts.
    EXPECT_TRUE(unit->append_value(layers, unit_base_t::AT_END, value));
    EXPECT_TRUE(unit->prepend_value(layers, 0, static_cast<unit_base_t *>(nullptr)));
    EXPECT_TRUE(unit->append_value(layers, 0, value));
    EXPECT_EQ(item->ref_count, 3u);
    uint32_t size = 0;
    EXPECT_TRUE(tie->get_array_size(unit.get(), layers, &size));
    EXPECT_EQ(size, 3u);
    unit_base_t *element = nullptr;
    EXPECT_TRUE(unit->get_value(layers, 1, &element));
    EXPECT_EQ(element, value);
    EXPECT_TRUE(tie->remove_array_element(unit.get(), layers, 1));
    EXPECT_EQ(item->ref_count, 2u);

    // A clone holds the same resources, counted again.
    {
        owner_ptr_t<unit_base_t> copy(unit->clone());
        ASSERT_TRUE(copy);
        EXPECT_EQ(item->ref_count, 4u);
    }
    EXPECT_EQ(item->ref_count, 2u) << "the clone's teardown released its values";
    unit.reset();
    EXPECT_EQ(item->ref_count, 0u);
    unit_system_t::clean_garbage();

    // A loaded value that could not be stored: its item goes when nothing holds it.
    mm_remove_unreferenced();
    unit_base_t *stray = tie->load("/t/nothing.txt", nullptr, texture);
    ASSERT_NE(stray, nullptr);
    tie->unload(stray, nullptr, texture);
    EXPECT_EQ(process->get_manager().find("/t/nothing.txt"), nullptr);
    unit_system_t::clean_garbage();
}

TEST(mem_sys, the_wrappers_count_the_heap_bytes_they_hold) {
    const size_t before = mem_sys_get_usage();
    void *a = mem_sys_calloc(100);
    ASSERT_NE(a, nullptr);
    EXPECT_GE(mem_sys_get_usage(), before + 100);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(static_cast<uint8_t *>(a)[i], 0);
    a = mem_sys_realloc(a, 5000);
    ASSERT_NE(a, nullptr);
    EXPECT_GE(mem_sys_get_usage(), before + 5000);
    mem_sys_free(a);
    mem_sys_free(nullptr);
    EXPECT_EQ(mem_sys_get_usage(), before);
}

}  // namespace
}  // namespace test
}  // namespace quarn
