// The shader library: queue sorting, the order in which queues are drawn, the
// updater table, queue lifetime and the lock hooks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/visuals/shaders/dynamic_texture.h"
#include "game/visuals/shaders/queue_sort.h"
#include "outside/qrnshared/r_queue.h"
#include "shader_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

using shaderlib = shader_fixture_t;

// Queues the prototypes in order, draws the frame, and gives the material file of
// every draw in order ("a b a").
std::string drawn_materials(r_context_t &context, const std::vector<test_proto_t *> &list) {
    for (test_proto_t *p : list) EXPECT_TRUE(gfx_queue_proto(&p->proto));
    context.begin_frame();
    shaderlib_queue_render_and_flush(&context);
    std::string names;
    const r_draw_log_t &log = context.get_draw_log();
    for (uint32_t i = 0; i < log.draw_count(); ++i) {
        std::string path = log.draw(i).material.c_str();
        names += (names.empty() ? "" : " ") + path.substr(3, path.size() - 7);  // "/t/a.mat" -> "a"
    }
    return names;
}

TEST_F(shaderlib, queues_sort_by_their_rule) {
    test_packets_t packets;
    // Queue 0: B (order 3) first, then both prototypes of A (order 5) together.
    c_item_t *a = dry("a.mat", 0, 5), *b = dry("b.mat", 0, 3);
    test_proto_t a1(a, &packets.array), b1(b, &packets.array), a2(a, &packets.array);
    EXPECT_EQ(drawn_materials(context, {&a1, &b1, &a2}), "b a a");
    EXPECT_EQ(context.get_draw_log().draw(0).queue, 0);

    // Queue 4: orders 2, 1, 2 give 1, then the two of order 2 in their queuing order.
    const uint32_t queue4 = DRY_LAYERED | DRY_SECOND_GROUP | (4u << DRY_LAYER_SHIFT);
    c_item_t *c = dry("c.mat", queue4, 2), *d = dry("d.mat", queue4, 1), *e = dry("e.mat", queue4, 2);
    test_proto_t c1(c, &packets.array), d1(d, &packets.array), e1(e, &packets.array);
    EXPECT_EQ(drawn_materials(context, {&c1, &d1, &e1}), "d c e");
    EXPECT_EQ(drawn_materials(context, {&e1, &d1, &c1}), "d e c");
    EXPECT_EQ(context.get_draw_log().draw(0).queue, 4);

    // Equal orders in queues 0 and 1: each material's prototypes together.
    for (uint32_t group : {0u, uint32_t(DRY_SECOND_GROUP)}) {
        const std::string g = std::to_string(group);
        c_item_t *x = dry("x" + g + ".mat", group, 7), *y = dry("y" + g + ".mat", group, 7);
        test_proto_t x1(x, &packets.array), y1(y, &packets.array), x2(x, &packets.array), y2(y, &packets.array);
        const std::string order = drawn_materials(context, {&x1, &y1, &x2, &y2});
        EXPECT_TRUE(order == "x" + g + " x" + g + " y" + g + " y" + g || order == "y" + g + " y" + g + " x" + g + " x" + g)
            << order;
        EXPECT_EQ(context.get_draw_log().draw(0).queue, group ? 1 : 0);
    }

    // A queue of one.
    test_proto_t lone(d, &packets.array);
    EXPECT_EQ(drawn_materials(context, {&lone}), "d");
    EXPECT_EQ(gfx_queue_count(shaderlib_get_queue(4)), 0u) << "drawn queues are flushed";
}

TEST_F(shaderlib, queues_are_drawn_0_to_8_then_the_context_is_reset) {
    test_packets_t packets;
    const uint32_t flags[9] = {0,
                               DRY_SECOND_GROUP,
                               DRY_LAYERED | DRY_SECOND_GROUP,
                               DRY_LAYERED | DRY_SECOND_GROUP | (3u << DRY_LAYER_SHIFT),
                               DRY_LAYERED | DRY_SECOND_GROUP | (4u << DRY_LAYER_SHIFT),
                               DRY_LAYERED | DRY_SECOND_GROUP | (7u << DRY_LAYER_SHIFT),  // another layer: 2
                               DRY_LAYERED,
                               DRY_LAYERED | (3u << DRY_LAYER_SHIFT),
                               DRY_LAYERED | (4u << DRY_LAYER_SHIFT)};
    const int32_t expected_queue[9] = {0, 1, 2, 3, 4, 2, 6, 7, 8};
    std::vector<std::unique_ptr<test_proto_t>> list;
    // Queued last queue first.
    for (int i = 8; i >= 0; --i) {
        c_item_t *m = dry("q" + std::to_string(i) + ".mat", flags[i]);
        EXPECT_EQ(pass_of(m)->config.queue, shaderlib_get_queue(uint32_t(expected_queue[i]))) << i;
        list.push_back(std::make_unique<test_proto_t>(m, &packets.array));
        EXPECT_TRUE(gfx_queue_proto(&list.back()->proto));
    }
    shaderlib_queue_render_and_flush(&context);
    const r_draw_log_t &log = context.get_draw_log();
    ASSERT_EQ(log.get_count(), 11u);
    int32_t last = -1;
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_GE(log[i].queue, last) << i;
        last = log[i].queue;
    }
    EXPECT_EQ(log[0].queue, 0);
    EXPECT_EQ(log[8].queue, 8);
    EXPECT_EQ(log[9].call, "set_pass 0");
    EXPECT_EQ(log[10].call, "reset_texture_stages 0");
    // Without a context the queues are still emptied.
    EXPECT_TRUE(gfx_queue_proto(&list[0]->proto));
    shaderlib_queue_render_and_flush(nullptr);
    EXPECT_EQ(gfx_queue_count(shaderlib_get_queue(8)), 0u);
}

TEST_F(shaderlib, prototypes_without_a_material_or_pass_are_not_drawn) {
    test_packets_t packets;
    c_item_t *unknown = material("unknown.mat", "/effect/generic/nothing");
    ASSERT_NE(unknown, nullptr);
    test_proto_t none(nullptr, &packets.array), passless(unknown, &packets.array);
    EXPECT_FALSE(gfx_queue_proto(&none.proto));
    EXPECT_FALSE(gfx_queue_proto(&passless.proto));
    shaderlib_queue_render_and_flush(&context);
    EXPECT_EQ(context.get_draw_log().draw_count(), 0u);
}

class recording_texture_t : public dynamic_texture_t {
public:
    recording_texture_t(std::vector<std::string> &log, std::string name) : m_log(log), m_name(std::move(name)) {}
    void update(float time) override { m_log.push_back(m_name + " " + std::to_string(int(time))); }
    void set_scalar_parameter(uint32_t, float) override {}
    void set_vector_parameter(uint32_t, const vec4_t &) override {}

private:
    std::vector<std::string> &m_log;
    std::string m_name;
};

TEST_F(shaderlib, the_updater_table) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<recording_texture_t>> textures;
    for (int i = 0; i < 17; ++i) textures.push_back(std::make_unique<recording_texture_t>(log, std::to_string(i)));
    recording_texture_t absent(log, "absent");

    EXPECT_EQ(shaderlib_remove_updater(&absent), 0u) << "absent: the count";
    for (int i = 0; i < 16; ++i) EXPECT_EQ(shaderlib_add_updater(textures[size_t(i)].get()), i + 1);
    message_capture_t messages;
    EXPECT_EQ(shaderlib_add_updater(textures[16].get()), -1);
    EXPECT_TRUE(messages.contains("[game] The shader library updates at most 16 dynamic textures"));
    EXPECT_EQ(shaderlib_updater_count(), 16u);
    EXPECT_EQ(shaderlib_add_updater(nullptr), -1);
    EXPECT_EQ(shaderlib_remove_updater(&absent), 16u);

    // Removing moves the last entry into the gap.
    EXPECT_EQ(shaderlib_remove_updater(textures[1].get()), 1u);
    EXPECT_EQ(shaderlib_updater_count(), 15u);
    shaderlib_update(3.0f);
    ASSERT_EQ(log.size(), 15u);
    EXPECT_EQ(log[0], "0 3");
    EXPECT_EQ(log[1], "15 3");
    EXPECT_EQ(log[14], "14 3");
    for (auto &t : textures) shaderlib_remove_updater(t.get());
    EXPECT_EQ(shaderlib_updater_count(), 0u);
}

TEST_F(shaderlib, queues_live_from_init_to_free) {
    EXPECT_EQ(shaderlib_queue_count(), 9u);
    for (uint32_t i = 0; i < 9; ++i) EXPECT_EQ(shaderlib_get_queue(i)->id, int32_t(i));
    EXPECT_EQ(shaderlib_get_queue(9), nullptr);
    effect_pass_config_t config;
    EXPECT_FALSE(shaderlib_set_pass_queue(config, 9));
    shaderlib_free_queues();
    shaderlib_free_queues();
    EXPECT_EQ(shaderlib_queue_count(), 0u);
    EXPECT_FALSE(shaderlib_set_pass_queue(config, 0));
    EXPECT_EQ(config.queue, nullptr);
    // A material loaded meanwhile has no queue: its prototypes are not drawn.
    test_packets_t packets;
    test_proto_t p(dry("late.mat", 0), &packets.array);
    EXPECT_FALSE(gfx_queue_proto(&p.proto));
    shaderlib_queue_render_and_flush(&context);
    EXPECT_EQ(context.get_draw_log().draw_count(), 0u);
    EXPECT_TRUE(shaderlib_init_queues());
}

int locks = 0;
void count_lock() { ++locks; }
void count_unlock() { --locks; }

TEST_F(shaderlib, effect_units_hold_the_module) {
    shaderlib_set_lock_callbacks(count_lock, count_unlock);
    locks = 0;
    {
        owner_ptr_t<dry_u> effect(dry_u::create());
        EXPECT_EQ(locks, 1);
        owner_ptr_t<effect_pass_u> pass(effect->create_pass("default"));
        EXPECT_EQ(locks, 2);
        // The hook changes while they live: each still unlocks once.
        shaderlib_set_lock_callbacks(nullptr, count_unlock);
    }
    unit_system_t::clean_garbage();
    EXPECT_EQ(locks, 0);
    shaderlib_set_lock_callbacks(nullptr, nullptr);
}

// The sorter against the standard library on random queues of many sizes.
TEST_F(shaderlib, sorting_agrees_with_the_standard_sorts) {
    std::vector<c_item_t *> materials;
    for (int i = 0; i < 5; ++i) materials.push_back(dry("m" + std::to_string(i) + ".mat", 0, i % 3));
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    shaderlib_sorter_t sorter;
    for (uint32_t n : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 8u, 33u, 100u, 257u}) {
        std::vector<test_proto_t> protos;
        protos.reserve(n);
        for (uint32_t i = 0; i < n; ++i) protos.emplace_back(materials[next() % materials.size()]);
        std::vector<r_proto_t *> list;
        for (test_proto_t &p : protos) list.push_back(&p.proto);

        std::vector<r_proto_t *> stable = list, expected = list;
        ASSERT_TRUE(sorter.sort_stable(stable.data(), n));
        std::stable_sort(expected.begin(), expected.end(), [](const r_proto_t *a, const r_proto_t *b) {
            return shaderlib_draw_order(a) < shaderlib_draw_order(b);
        });
        EXPECT_EQ(stable, expected) << n;

        std::vector<r_proto_t *> grouped = list;
        ASSERT_TRUE(sorter.sort_grouped(grouped.data(), n));
        for (uint32_t i = 1; i < n; ++i) {
            const int32_t o0 = shaderlib_draw_order(grouped[i - 1]), o1 = shaderlib_draw_order(grouped[i]);
            EXPECT_LE(o0, o1) << n;
            // Within one order a material, once left, never comes back.
            for (uint32_t j = i + 1; j < n && o0 == o1; ++j) {
                if (grouped[j]->material == grouped[i - 1]->material) {
                    EXPECT_EQ(grouped[i]->material, grouped[i - 1]->material) << n;
                }
            }
        }
    }
}

}  // namespace
}  // namespace quarn::test
