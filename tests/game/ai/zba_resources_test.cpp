// A behaviour file as a resource: initialised through its model source, held by a
// zba_u item of the memory manager, pinned while loaded, and its runtime let go when
// it unloads; the game module's rows that register, drain and take back the loader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/zba/zba_resources.h"
#include "game/game_guard_proc.h"
#include "game/game_module.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/mm_fixture.h"
#include "kernel/process_table.h"
#include "qrncore/system/cmdline.h"
#include "zba_fixture.h"

namespace quarn::test {
namespace {

std::vector<float> natural_lengths(const zba_info_t &info) {
    std::vector<float> out;
    for (uint32_t i = 0; i < info.animation_count(); ++i) out.push_back(info.animation(i).length());
    return out;
}

using zba_init = zba_fixture_t;

TEST_F(zba_init, takes_the_descriptor_and_the_natural_lengths) {
    serve_deer();
    ASSERT_TRUE(parse("/deer/deer.zba"));
    fake_models_t models;
    deer_models(models);
    zba_runtime_t runtime;
    zba_info_t file(parser.image(), &runtime);
    ASSERT_TRUE(file.init(&models));
    EXPECT_EQ(runtime.model.get(), &models.descriptors["/zt/deer/deer.zmd"]);
    EXPECT_EQ(runtime.model->ref_count, 1u) << "the runtime holds the descriptor";
    EXPECT_EQ(natural_lengths(file), (std::vector<float>{3.0f, 2.0f, 1.5f, 0.5f}));
    EXPECT_EQ(file.behavior(1).duration(), 3.0f) << "walk: a proportional animation of 1.5 x 2 s";
    EXPECT_EQ(file.behavior(0).duration(), 2.0f) << "stand: its longest channel";
    EXPECT_EQ(file.behavior(0).channel(1).duration(), 1.0f);

    // Unloading: natural lengths back to 1, programs and descriptor let go.
    fake_item_t program;
    ASSERT_TRUE(runtime.programs.put_behavior(0, &program));
    ASSERT_TRUE(runtime.programs.put_transition(0, 1, &program));
    EXPECT_EQ(program.ref_count, 2u);
    EXPECT_EQ(runtime.programs.find_transition(0, 1), &program);
    EXPECT_EQ(runtime.programs.find_transition(1, 0), nullptr);
    file.unload();
    EXPECT_EQ(natural_lengths(file), (std::vector<float>{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(runtime.programs.get_count(), 0u);
    EXPECT_EQ(program.ref_count, 0u);
    EXPECT_FALSE(runtime.model);
    EXPECT_EQ(models.descriptors["/zt/deer/deer.zmd"].ref_count, 0u);
}

TEST_F(zba_init, a_missing_descriptor_or_animation_fails_and_keeps_nothing) {
    serve_deer();
    ASSERT_TRUE(parse("/deer/deer.zba"));
    zba_runtime_t runtime;
    zba_info_t file(parser.image(), &runtime);

    fake_models_t none;
    EXPECT_FALSE(file.init(&none));
    EXPECT_FALSE(file.init(nullptr));
    EXPECT_EQ(log.texts(message_t::ERROR),
              std::vector<std::string>(2, "[zba_info_t::init] Can not allocate model descriptor '/zt/deer/deer.zmd'"));

    log.clear();
    fake_models_t models;
    deer_models(models);
    models.lengths.erase("/zt/shared/lay_down.zma");
    EXPECT_FALSE(file.init(&models));
    EXPECT_EQ(log.texts(message_t::ERROR),
              std::vector<std::string>{"[zba_info_t::init] Can not add animation '/zt/shared/lay_down.zma' to model "
                                       "'/zt/deer/deer.zmd'"});
    EXPECT_FALSE(runtime.model);
    EXPECT_EQ(models.descriptors["/zt/deer/deer.zmd"].ref_count, 0u);
    EXPECT_EQ(natural_lengths(file), (std::vector<float>{1.0f, 1.0f, 1.0f, 1.0f})) << "the lengths taken are undone";
}

// The resource through a memory manager of its own.
class zba_resource : public mm_fixture_t {
protected:
    zba_resource() {
        EXPECT_TRUE(zba_register_classes(bank));
        deer_models(models);
        zba_set_model_source(&models);
        zba_set_loader_lock(count_lock, count_unlock);
        locks = 0;
        mount.serve_deer();
    }
    ~zba_resource() override {
        zba_set_loader_lock(nullptr, nullptr);
        zba_set_model_source(nullptr);
    }
    c_item_t *obtain_deer(int type) { return manager.obtain(type, "/zt/deer/deer.zba", &zba_u::unit_descriptor, 0); }

    static void count_lock() { ++locks; }
    static void count_unlock() { --locks; }
    static inline int locks = 0;

    zba_mount_t mount;
    fake_models_t models;
    message_capture_t log;
};

TEST_F(zba_resource, a_loaded_file_is_pinned_and_holds_the_loader_lock) {
    // Memory before the file, freed later, so that defragmenting moves the file.
    c_item_t *pad = loaded("pad", 4096);
    ASSERT_NE(pad, nullptr);
    c_item_t *item = obtain_deer(MM_NAMED_LOAD_REF);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->has(c_item_t::MLRU_DISALLOWED)) << "pinned";
    EXPECT_TRUE(item->has(c_item_t::MEMORY_VALID));
    EXPECT_EQ(locks, 1);
    c_item_t &descriptor = models.descriptors["/zt/deer/deer.zmd"];
    EXPECT_EQ(descriptor.ref_count, 1u);

    ASSERT_NE(item->lock(), nullptr);
    zba_info_t file = zba_u::info_of(item);
    ASSERT_FALSE(file.is_null());
    EXPECT_EQ(file.runtime()->item, item);
    EXPECT_EQ(file.image_size(), item->size) << "the block is copied as the parser built it";
    EXPECT_EQ(file.find_behavior("WALK"), 1);
    EXPECT_EQ(file.behavior(1).duration(), 3.0f);
    item->unlock();
    EXPECT_FALSE(item->has(c_item_t::IN_MLRU)) << "a pinned item never waits to be evicted";
    EXPECT_TRUE(item->has(c_item_t::MEMORY_VALID));
    EXPECT_EQ(obtain_deer(MM_NAMED_LOAD), item) << "found again, loaded once";
    EXPECT_EQ(models.asked.size(), 5u);

    // Moved by the manager, the block reads the same.
    pad->release_ref();
    manager.mem_free_unreferenced(-1, &test_resource_u::unit_descriptor);
    void *old_data = item->data;
    manager.defragment(SIZE_MAX);
    EXPECT_NE(item->data, old_data);
    ASSERT_NE(item->lock(), nullptr);
    EXPECT_EQ(zba_u::info_of(item).find_behavior("lay"), 2);
    EXPECT_STREQ(zba_u::info_of(item).animation(2).path(), "/zt/shared/lay_down.zma");
    item->unlock();

    item->release_ref();
    EXPECT_EQ(descriptor.ref_count, 1u) << "still loaded while cached";
    manager.mem_free_unreferenced(-1, &zba_u::unit_descriptor);
    EXPECT_EQ(descriptor.ref_count, 0u);
    EXPECT_EQ(locks, 0);
}

TEST_F(zba_resource, a_file_that_does_not_initialise_stays_unloaded) {
    models.lengths.erase("/zt/deer/anim/walk.zma");
    EXPECT_EQ(obtain_deer(MM_NAMED_LOAD), nullptr);
    EXPECT_TRUE(log.contains(
        "[zba_info_t::init] Can not add animation '/zt/deer/anim/walk.zma' to model '/zt/deer/deer.zmd'"));
    EXPECT_EQ(manager.get_item_count(), 0u);
    EXPECT_EQ(locks, 0);

    // Obtained without loading, it fails at its first lock.
    c_item_t *later = obtain_deer(MM_NAMED_REF);
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(later->lock(), nullptr);
    EXPECT_EQ(zba_u::info_of(later).is_null(), true);
    later->release_ref();
    EXPECT_EQ(models.descriptors["/zt/deer/deer.zmd"].ref_count, 0u);
}

TEST_F(zba_resource, an_unload_lets_the_runtime_go) {
    c_item_t *item = obtain_deer(MM_NAMED_LOAD_REF);
    ASSERT_NE(item, nullptr);
    fake_item_t program;
    ASSERT_NE(item->lock(), nullptr);
    ASSERT_TRUE(zba_u::info_of(item).runtime()->programs.put_behavior(1, &program));
    item->unlock();
    item->release_ref();
    manager.mem_free_unreferenced(-1, &zba_u::unit_descriptor);
    EXPECT_EQ(manager.get_item_count(), 0u) << "without memory or references, the item went";
    EXPECT_EQ(program.ref_count, 0u);
    EXPECT_EQ(models.descriptors["/zt/deer/deer.zmd"].ref_count, 0u);
    EXPECT_EQ(locks, 0);
}

TEST(zba_loader, takes_zba_names_only) {
    zba_loader_t &loader = zba_loader();
    EXPECT_TRUE(loader.detect_resource("/a/b.zba", "zba"));
    EXPECT_EQ(loader.get_resource_type("/a/B.ZBA", "ZBA"), &zba_u::unit_descriptor);
    EXPECT_EQ(loader.get_resource_type("/a/b.zba.part", "part"), nullptr);
    EXPECT_EQ(loader.get_resource_type("/a/b.zba.bhv", "bhv"), nullptr);
    EXPECT_EQ(loader.get_resource_type("/a/b", ""), nullptr);
}

// The module's rows with the memory manager of the program: the classes and the loader
// registered, loaded files holding the module's guard until it drains them, and the
// loader taken back at its last stage.
class zba_rows : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        mm_init();
        for (const game_row_list_t *l = game_rows_linked(); l; l = l->next)
            if (std::string(l->name) == "behaviour") list = *l;
        list.next = nullptr;
        ASSERT_TRUE(table.build(&list));
        deer_models(models);
        zba_set_model_source(&models);
        mount.serve_deer();
    }
    void TearDown() override {
        zba_set_model_source(nullptr);
        zba_set_loader_lock(nullptr, nullptr);
        kernel_fixture_t::TearDown();
        cdl_init(0, nullptr);
    }

    game_row_list_t list{};
    game_row_table_t table;
    zba_mount_t mount;
    fake_models_t models;
};

TEST_F(zba_rows, register_drain_and_take_back_the_loader) {
    ASSERT_EQ(list.count, 4u);
    register_game_classes(table);
    EXPECT_EQ(get_engine_ubank()->get_descriptor("zba"), &zba_u::unit_descriptor);
    EXPECT_EQ(get_engine_ubank()->get_descriptor("zba_inst"), &zba_inst_u::unit_descriptor);
    EXPECT_EQ(get_engine_ubank()->get_descriptor("zba_proc"), &zba_proc_u::unit_descriptor);
    EXPECT_TRUE(zba_loader().registered);

    auto *guard = new game_guard_proc_t(nullptr, table);
    process_add(guard, 0);
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD, "/zt/deer/deer.zba");
    ASSERT_NE(item, nullptr) << "the type is guessed from the name";
    EXPECT_EQ(item->get_unit()->get_descriptor(), &zba_u::unit_descriptor);
    EXPECT_EQ(zba_obtain("/zt/deer/deer.zba"), item);
    // A name held by an item of another class is not a behaviour file.
    ASSERT_NE(mm_obtain_resource(MM_NAMED, "/zt/plain.zba", &plain_u::unit_descriptor), nullptr);
    message_capture_t log;
    EXPECT_EQ(zba_obtain("/zt/plain.zba"), nullptr);
    EXPECT_TRUE(log.contains("[mem] The resource '/zt/plain.zba' type 'plain' does not match the expected 'zba'!"));
    EXPECT_EQ(guard->hold_count, 1) << "a loaded file holds the module";

    guard->shutdown(false);
    for (int i = 0; i < 6 && process_get("game_guard"); ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), nullptr) << "drained, the file let the guard go";
    EXPECT_FALSE(zba_loader().registered);
    mm_remove_unreferenced(-1, &plain_u::unit_descriptor);
    EXPECT_EQ(mm_get_process()->get_manager().get_item_count(), 0u);
}

}  // namespace
}  // namespace quarn::test
