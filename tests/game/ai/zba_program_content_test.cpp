// The whitetail's behaviour file as the game loads it, with its packed model files
// through the model library:
// every behaviour, the complex transition and every simple transition compile, and
// each runs to its end on recorded channels without a fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/zba/zba_model_channels.h"
#include "game/ai/zba/zba_model_link.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "zba_program_fixture.h"

namespace quarn::test {
namespace {

using zba_program_content = zba_program_test;

// Steps a process of the program at 30 frames a second until it ends; the seconds it
// ran, or -1 when it did not end within limit seconds.
float run_to_end(recording_host_t &host, c_item_t *program, float limit) {
    c_item_ptr_t process = zba_clone(host, program, nullptr, 0);
    EXPECT_TRUE(process);
    if (!process) return -1.0f;
    const float dt = 1.0f / 30.0f;
    float ran = 0.0f;
    while (header_of(process.get()).state == ZBA_PROC_RUNNING && ran <= limit) {
        host.frame_step(dt);
        ran += dt;
    }
    const bool ended = header_of(process.get()).state == ZBA_PROC_ENDED;
    zba_proc_t::release(host, process);
    host.update(0.0f);
    return ended ? ran : -1.0f;
}

bool has_warp(const zba_behavior_t &b) {
    for (uint32_t c = 0; c < b.channel_count(); ++c) {
        zba_item_t item = b.channel(c).first_item();
        for (uint32_t i = 0; i < b.channel(c).item_count(); ++i, item = item.next())
            if (item.kind() == zba_layout::ITEM_WARP) return true;
    }
    return false;
}

TEST_F(zba_program_content, the_whitetail_compiles_and_runs) {
    base_archive_t base;
    fs_device_t *builtin = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
    ASSERT_NE(builtin, nullptr);
    zba_model_library_source_t library;
    zba_set_model_source(&library);
    c_item_t *item =
        mm_obtain_resource(MM_NAMED_LOAD_REF, "/model/animal/whitetail/animal.zba", &zba_u::unit_descriptor);
    ASSERT_NE(item, nullptr);
    file = item;
    item->release_ref();
    {
        const zba_info_t info = zba_u::info_of(file.get());
        zba_recorder_t channels;
        channels.record = false;
        recording_host_t host(file.get(), &channels);
        const float frame = 1.0f / 30.0f;
        for (uint32_t b = 0; b < info.behavior_count(); ++b) {
            const zba_behavior_t behavior = info.behavior(b);
            SCOPED_TRACE(behavior.name());
            const c_item_ptr_t program = info.compiled_behavior(int32_t(b));
            ASSERT_TRUE(program);
            EXPECT_EQ(header_of(program.get()).thread_count, behavior.channel_count());
            // It runs as long as the file says it lasts, to the frame; a random shift
            // only shortens it.
            const float ran = run_to_end(host, program.get(), behavior.duration() + 1.0f);
            EXPECT_GE(ran, 0.0f);
            EXPECT_LE(ran, behavior.duration() + frame + 1e-4f);
            if (!has_warp(behavior)) {
                EXPECT_GE(ran, behavior.duration() - 1e-4f);
            }
        }
        const int32_t complex = 0;
        const c_item_ptr_t transition = info.compiled_transition(-1, -1, &complex, 1, nullptr, 0);
        ASSERT_TRUE(transition);
        EXPECT_GE(run_to_end(host, transition.get(), 10.0f), 0.0f);
        for (int32_t s = 0; s < int32_t(info.simple_count()); ++s) {
            const c_item_ptr_t simple = info.compiled_transition(-1, -1, nullptr, 0, &s, 1);
            ASSERT_TRUE(simple) << s;
            EXPECT_GE(run_to_end(host, simple.get(), 10.0f), 0.0f) << s;
        }
        EXPECT_EQ(channels.faults, 0u);
        EXPECT_EQ(channels.in_use(), 0u);
        EXPECT_EQ(log.texts(message_t::ERROR), std::vector<std::string>{});
        EXPECT_EQ(info.runtime()->programs.get_count(), info.behavior_count());
    }
    // The file, then the model files it held, before the archive goes.
    file.release();
    zba_free_unreferenced();
    for (const unit_descriptor_t *d : {&model_desc_u::unit_descriptor, &model_anim_u::unit_descriptor}) {
        _mm_mem_free_unreferenced(-1, d);
        mm_remove_unreferenced(-1, d);
    }
    ufs_unmount(builtin);
}

}  // namespace
}  // namespace quarn::test
