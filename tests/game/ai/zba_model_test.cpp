// Behaviour programs on a model of the model library: a behaviour file over the rig
// fixture (written with the zmgen library) loads through the library's model source,
// and a process drives the channels of a model object.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "game/ai/zba/zba_compile.h"
#include "game/ai/zba/zba_host.h"
#include "game/ai/zba/zba_model_channels.h"
#include "game/ai/zba/zba_model_link.h"
#include "game/ai/zba/zba_resources.h"
#include "kernel/memory/m_server.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

class events_host_t : public zba_host_t {
public:
    using zba_host_t::zba_host_t;
    void on_proc_event(uint32_t kind, c_item_t *, const char *text) override {
        events.push_back(std::to_string(kind) + (text ? std::string(" ") + text : std::string()));
    }
    std::vector<std::string> events;
};

class zba_model : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        write_fixture_models();
        // Four frames of 0.25 s and frame 0 again: one second.
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(zmgen::zm_write_animation(rig_animation("walk", 4, true), bytes));
        ASSERT_TRUE(zmgen::zm_write_file(dir.file("model/rig/walk.zma"), bytes));
        put("model/rig/rig.zba", R"("rig" : "rig.zmd" {
  features { "body" { "stand" "walk" } }
  animations { "walk_a" : "walk.zma" { priority : "2" } }
  behaviors {
    "walk" { channels { "body" {
      0 anim { anim : "walk_a" length : "2" s_weight : "0" e_weight : "1" }
      0.5 info { info : "footstep" } } } }
  }
})");
        zba_set_model_source(&library);
    }
    void TearDown() override {
        file.release();
        zba_free_unreferenced();
        zba_set_model_source(nullptr);
        model_lib_fixture_t::TearDown();
    }

    zba_model_library_source_t library;
    c_item_ptr_t file;
};

TEST_F(zba_model, a_process_drives_the_channels_of_a_model_object) {
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD_REF, "/t/model/rig/rig.zba", &zba_u::unit_descriptor);
    ASSERT_NE(item, nullptr);
    file = item;
    item->release_ref();
    const zba_info_t info = zba_u::info_of(file.get());
    EXPECT_EQ(info.animation(0).length(), 1.0f) << "the natural length comes from the model file";
    ASSERT_TRUE(info.runtime()->model);
    auto *rig = static_cast<model_desc_u *>(info.runtime()->model->get_unit());
    EXPECT_STREQ(rig->get_item()->get_name(), "/t/model/rig/rig.zmd");

    model_packets_for_all_t all(&packets->array);
    owner_ptr_t<model_object_u> object(rig->create_object(0, 0, &all));
    ASSERT_TRUE(object);
    {
        zba_model_channels_t channels(object.get());
        events_host_t host(file.get(), &channels);
        const c_item_ptr_t program = info.compiled_behavior(info.find_behavior("walk"));
        ASSERT_TRUE(program);
        c_item_ptr_t process = zba_clone(host, program.get(), nullptr, 10);
        ASSERT_TRUE(process);
        ASSERT_EQ(object->get_active_count(), 1u);
        const uint32_t ch = object->get_active(0);
        EXPECT_EQ(object->get_channel(ch).priority, 12) << "the animation's priority and the process's";
        EXPECT_NE(object->get_channel(ch).flags & zba_channels_t::OWNER_ADVANCES, 0u);
        EXPECT_EQ(object->get_channel(ch).weight, 0.0f) << "the leading wgh";

        // Half a second: the weight rises at 0.5 a second, the walk plays once over 2 s.
        host.update(0.5f);
        const model_anim_channel_t &c = object->get_channel(object->get_active(0));
        EXPECT_FLOAT_EQ(c.weight, 0.25f);
        EXPECT_FLOAT_EQ(c.animation_time, 0.25f);
        EXPECT_EQ(c.frame, 1u);
        EXPECT_EQ(host.events, std::vector<std::string>{"4 footstep"});
        // The model's own advance leaves the machine's channel alone.
        object->advance_animations(0.5f);
        EXPECT_FLOAT_EQ(object->get_channel(object->get_active(0)).animation_time, 0.25f);

        host.update(1.0f);
        EXPECT_FLOAT_EQ(object->get_channel(object->get_active(0)).weight, 0.75f);
        EXPECT_FLOAT_EQ(object->get_channel(object->get_active(0)).animation_time, 0.75f);
        host.update(0.5f);
        EXPECT_EQ(host.events, (std::vector<std::string>{"4 footstep", "0"})) << "ended at 2 s";
        EXPECT_EQ(object->get_channel(object->get_active(0)).weight, 1.0f);

        zba_proc_t::release(host, process);
        EXPECT_EQ(object->get_active_count(), 0u) << "release frees the model's channel";
    }
    object.reset();
}

// The library's source refuses what the model library cannot load.
TEST_F(zba_model, a_missing_model_file_fails_the_behaviour_file) {
    put("model/rig/broken.zba", R"("rig" : "rig.zmd" {
  features { "body" { "stand" } }
  animations { "gone" : "gone.zma" }
  behaviors { }
})");
    EXPECT_EQ(mm_obtain_resource(MM_NAMED_LOAD_REF, "/t/model/rig/broken.zba", &zba_u::unit_descriptor), nullptr);
    EXPECT_TRUE(log.contains("[zba_info_t::init] Can not add animation '/t/model/rig/gone.zma' to model "
                             "'/t/model/rig/rig.zmd'"));
    mm_remove_unreferenced(-1, &zba_u::unit_descriptor);
}

}  // namespace
}  // namespace quarn::test
