// The ".def" resource type as the program has it: the real "lib/loaders" plug-in
// loaded through the plug-in table into a kernel with the memory manager running.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "outside/qrnshared/def_resource.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_bank.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

void set_command_line(std::vector<const char *> args) {
    args.insert(args.begin(), "fernwold");
    cdl_init(int(args.size()), args.data());
}

class def_resource : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        set_command_line({"-mm_pool_size", "32"});
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 0);
        mm_init();
        process = mm_get_process();
        ASSERT_NE(process, nullptr);
        plugin = dll_register((test_bin_dir() + "/lib/loaders").c_str());
        ASSERT_NE(plugin, nullptr) << "the plug-in is built beside the program";
    }
    void TearDown() override {
        // The plug-in's guard goes with the other processes, and the plug-in after it.
        const uint32_t slots = dll_count();
        kernel_fixture_t::TearDown();
        EXPECT_EQ(dll_count(), slots - (unloaded ? 0 : 1)) << "the plug-in was unloaded after its guard";
        ufs_unmount(m_mount);
        fs_shutdown();
        qrnshared_shutdown();
        set_command_line({});
    }
    void put(const std::string &name, const std::string &text) { ASSERT_TRUE(write_file(dir.file(name), text)); }

    temp_dir_t dir;  // mounted at "/t"
    fs_device_t *m_mount = nullptr;
    mm_process *process = nullptr;
    dl_lib_t *plugin = nullptr;
    bool unloaded = false;  // a test unloaded it already
    message_capture_t log;
};

TEST_F(def_resource, the_plugin_registers_the_type_whose_item_data_is_the_pool) {
    EXPECT_TRUE(log.contains("[loaders] resource type 'def' registered"));
    EXPECT_EQ(get_engine_ubank()->get_descriptor("def"), &def_resource_u::unit_descriptor);
    EXPECT_EQ(process->get_manager().get_loader_count(), 2u);

    put("def/basedefs.def", "def species_kind { score_max: \"100\" }\n");
    put("def/game.def", "extdefs \"basedefs.def\"\ndef species { def moose : species_kind { index: \"1\" } }\n");
    // A plain file before the item, freed later, so that defragmenting moves the item.
    put("pad.txt", std::string(4096, 'p'));
    ASSERT_NE(mm_obtain_resource(MM_NAMED_LOAD, "/t/pad.txt"), nullptr);
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD_REF, "/t/def/game.def");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->get_unit()->get_descriptor(), &def_resource_u::unit_descriptor) << "guessed by the loader";
    EXPECT_EQ(item->size, sizeof(def_pool_t));
    const def_pool_t *pool = def_resource_u::pool_of(item->lock());
    ASSERT_NE(pool, nullptr);
    EXPECT_STREQ(pool->find("species.moose")->get_value("score_max"), "100");
    item->unlock();

    // Moved by the manager, the pool reads the same.
    void *old_data = item->data;
    _mm_mem_free_unreferenced(-1, &plain_u::unit_descriptor);
    process->get_manager().defragment(SIZE_MAX);
    EXPECT_NE(item->data, old_data);
    pool = def_resource_u::pool_of(item->lock());
    EXPECT_STREQ(pool->find("species.moose")->get_value("index"), "1");
    item->unlock();

    // The same name again is the same item; given the class, too.
    EXPECT_EQ(mm_obtain_resource(MM_NAMED_LOAD, "/t/def/game.def", &def_resource_u::unit_descriptor), item);
    // Unreferenced, its pool is freed and the item, holding no memory, goes.
    item->release_ref();
    _mm_mem_free_unreferenced(-1, &def_resource_u::unit_descriptor);
    EXPECT_EQ(process->get_manager().get_item_count(), 0u);
}

TEST_F(def_resource, a_file_that_does_not_read_gives_no_item) {
    put("bad.def", "def a {\n  k: \"open\n}\n");
    EXPECT_EQ(mm_obtain_resource(MM_NAMED_LOAD, "/t/bad.def"), nullptr);
    EXPECT_TRUE(log.contains("[def] /t/bad.def:2: unterminated value"));
    EXPECT_EQ(mm_obtain_resource(MM_NAMED_LOAD, "/t/missing.def"), nullptr);
    EXPECT_TRUE(log.contains("[def] cannot open '/t/missing.def'"));
    EXPECT_EQ(process->get_manager().get_item_count(), 0u) << "the failed items are gone";

    // Obtained without loading, the item loads on its first lock, and fails there.
    c_item_t *later = mm_obtain_resource(MM_NAMED_REF, "/t/bad.def");
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->lock(), nullptr);
    later->release_ref();
}

TEST_F(def_resource, unloading_the_plugin_takes_its_loader_back) {
    vprocess_t *guard = process_get("loaders");
    ASSERT_NE(guard, nullptr);
    const uint32_t slots = dll_count();
    guard->shutdown(false);
    for (int i = 0; i < 4 && process_get("loaders"); ++i) kernel_step();
    EXPECT_EQ(process_get("loaders"), nullptr);
    EXPECT_EQ(dll_count(), slots - 1);
    unloaded = true;
    EXPECT_TRUE(log.contains("[loaders] resource loaders unregistered"));
    EXPECT_EQ(process->get_manager().get_loader_count(), 1u);
    // Without the loader a ".def" name is a plain file.
    put("x.def", "def x { }\n");
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD, "/t/x.def");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->get_unit()->get_descriptor(), &plain_u::unit_descriptor);
}

}  // namespace
}  // namespace quarn::test
