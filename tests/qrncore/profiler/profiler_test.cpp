#include "qrncore/profiler/profiler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "qrncore/system/cpu.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/init.h"
#include "support/fake_clock.h"

namespace quarn {
namespace {

// Distinct arrays: equal texts at different addresses.
const char DRAW_A[] = "draw";
const char DRAW_B[] = "draw";
const char UPDATE[] = "update";
const char STEP[] = "step";
const char PHYSICS[] = "physics";

// Host allocation that the test can switch off.
bool refuse_memory = false;
void *switchable_new(size_t bytes) { return refuse_memory ? nullptr : malloc(bytes); }

// A profiler of its own on a clock of 1 cycle per microsecond that moves only when
// the test says so.
class profiler_test : public ::testing::Test {
protected:
    profiler_test() {
        m_clock.usec_per_read = 1000;
        m_clock.cycles_per_usec = 1;
        cpu_startup(false);
        m_clock.usec_per_read = 0;
        m_saved_new = qrncore_system_new;
        qrncore_system_new = switchable_new;
        refuse_memory = false;
        m_profiler = std::make_unique<profiler_initializer_t>();
    }
    ~profiler_test() override {
        m_profiler.reset();
        qrncore_system_new = m_saved_new;
    }

    void tick(uint64_t usec) { m_clock.cycles += usec; }
    profiler_node_t *root() { return profiler_tree(); }
    unsigned slot() { return profiler_pause_free_slot(); }

    // The slot being recorded, read without pausing.
    static unsigned profiler_pause_free_slot() {
        const profiler_frame_iterator_t &it = profiler_pause();
        const unsigned s = it.current;
        profiler_unpause();
        return s;
    }

    // Ends the frame: the request takes effect when this sample ends at root level.
    static void end_frame() {
        profiler_advance_frame();
        profiler_sample_t s(UPDATE);
    }

    static profiler_node_t *child_named(profiler_node_t *parent, const char *name) {
        for (profiler_node_t *n = parent->child; n; n = n->sibling)
            if (n->name == name) return n;
        return nullptr;
    }

    test::fake_clock_t m_clock;
    host_new_t m_saved_new = nullptr;
    std::unique_ptr<profiler_initializer_t> m_profiler;
};

TEST_F(profiler_test, starts_with_the_root_entered_and_the_default_zone) {
    ASSERT_NE(root(), nullptr);
    EXPECT_STREQ(root()->name, "PROFILED_CODE");
    EXPECT_EQ(root()->depth, 1u);
    EXPECT_EQ(root()->calls[0], 1u);
    EXPECT_EQ(root()->child, nullptr);
    ASSERT_NE(profiler_zones(), nullptr);
    EXPECT_STREQ(profiler_zones()->name, "?");
    EXPECT_EQ(profiler_zones()->next, nullptr);
    tick(250);
    EXPECT_EQ(profiler_elapsed_time(), 250u);
}

TEST_F(profiler_test, equal_names_at_different_addresses_are_two_nodes) {
    for (int i = 0; i < 3; ++i) {
        profiler_sample_t a(DRAW_A);
    }
    {
        profiler_sample_t b(DRAW_B);
    }
    profiler_node_t *a = child_named(root(), DRAW_A), *b = child_named(root(), DRAW_B);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_STREQ(a->name, b->name);
    EXPECT_EQ(a->calls[0], 3u);
    EXPECT_EQ(b->calls[0], 1u);
    // The newest child comes first.
    EXPECT_EQ(root()->child, b);
    EXPECT_EQ(b->sibling, a);
    // Both count in "?" as separate names.
    EXPECT_EQ(profiler_zones()->subtree_calls(0), 4u);
    EXPECT_EQ(root()->tree_calls(0), 5u);
}

TEST_F(profiler_test, times_split_into_self_and_child_time) {
    {
        profiler_sample_t a(DRAW_A);
        tick(4);
        {
            profiler_sample_t s(STEP);
            tick(6);
        }
        tick(2);
    }
    profiler_node_t *a = child_named(root(), DRAW_A);
    profiler_node_t *s = child_named(a, STEP);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(a->total_time[0], 12u);
    EXPECT_EQ(a->child_time[0], 6u);
    EXPECT_EQ(s->total_time[0], 6u);
    EXPECT_EQ(a->chain_self_time(0), 6u);
    EXPECT_EQ(a->chain_total_time(0), 12u);
    EXPECT_EQ(root()->child_time[0], 12u);
    EXPECT_EQ(profiler_zones()->self_time(0), 12u);
}

TEST_F(profiler_test, recursion_counts_every_call_but_the_time_once) {
    {
        profiler_sample_t outer(DRAW_A);
        tick(10);
        {
            profiler_sample_t inner(DRAW_A);
            tick(5);
            // Still the same node: a section inside the recursion hangs below it.
            profiler_sample_t s(STEP);
            tick(1);
        }
        tick(3);
    }
    profiler_node_t *a = child_named(root(), DRAW_A);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->child, child_named(a, STEP));
    EXPECT_EQ(child_named(a, DRAW_A), nullptr);
    EXPECT_EQ(a->calls[0], 2u);
    EXPECT_EQ(a->depth, 0u);
    EXPECT_EQ(a->total_time[0], 19u);
    EXPECT_EQ(a->child_time[0], 1u);
    EXPECT_EQ(root()->child_time[0], 19u);
}

TEST_F(profiler_test, zones_group_a_name_across_the_tree) {
    {
        profiler_sample_t a(DRAW_A);
        profiler_sample_t s(STEP, PHYSICS);
        tick(3);
    }
    {
        profiler_sample_t b(DRAW_B);
        for (int i = 0; i < 2; ++i) {
            profiler_sample_t s(STEP, PHYSICS);
            tick(5);
        }
    }
    profiler_zone_t *any = profiler_zones();
    ASSERT_NE(any->next, nullptr);
    profiler_zone_t *physics = any->next;
    EXPECT_EQ(physics->name, PHYSICS);
    // One head for the name, the other node on its chain.
    ASSERT_NE(physics->first, nullptr);
    EXPECT_EQ(physics->first->next_name, nullptr);
    ASSERT_NE(physics->first->next_in_chain, nullptr);
    EXPECT_EQ(physics->first->chain_calls(0), 3u);
    EXPECT_EQ(physics->first->chain_total_time(0), 13u);
    EXPECT_EQ(physics->subtree_calls(0), 3u);
    EXPECT_EQ(physics->self_time(0), 13u);
    // The sections without a zone name stay in "?".
    EXPECT_EQ(any->subtree_calls(0), 2u);
    EXPECT_EQ(any->self_time(0), 0u);
}

TEST_F(profiler_test, a_frame_advance_waits_for_the_root_level) {
    tick(100);
    {
        profiler_sample_t a(DRAW_A);
        {
            profiler_sample_t s(STEP);
            profiler_advance_frame();
            tick(7);
        }
        EXPECT_EQ(slot(), 0u);  // back in DRAW_A, not at the root yet
        tick(1);
    }
    EXPECT_EQ(slot(), 1u);
    const profiler_frame_iterator_t &it = profiler_pause();
    EXPECT_EQ(it.newest, 1u);
    EXPECT_EQ(it.current, 1u);
    profiler_unpause();
    // The root's total of a slot is the frame time; the new slot starts clean.
    EXPECT_EQ(root()->total_time[0], 108u);
    EXPECT_EQ(root()->calls[1], 1u);
    EXPECT_EQ(root()->total_time[1], 0u);
    EXPECT_EQ(child_named(root(), DRAW_A)->calls[0], 1u);
    EXPECT_EQ(child_named(root(), DRAW_A)->calls[1], 0u);
    EXPECT_EQ(profiler_elapsed_time(), 0u);
}

TEST_F(profiler_test, the_ring_wraps_after_64_frames) {
    // Frame f calls the section f % 7 + 1 times.
    for (unsigned f = 0; f < 70; ++f) {
        ASSERT_EQ(slot(), f % 64);
        for (unsigned i = 0; i < f % 7 + 1; ++i) {
            profiler_sample_t a(DRAW_A);
        }
        end_frame();
    }
    profiler_node_t *a = child_named(root(), DRAW_A);
    EXPECT_EQ(slot(), 70u % 64);
    EXPECT_EQ(a->calls[70 % 64], 0u);
    for (unsigned f = 7; f < 70; ++f) EXPECT_EQ(a->calls[f % 64], f % 7 + 1) << "frame " << f;
}

TEST_F(profiler_test, while_paused_one_slot_is_reused_and_the_rest_kept) {
    for (unsigned f = 0; f < 5; ++f) {
        for (unsigned i = 0; i <= f; ++i) {
            profiler_sample_t a(DRAW_A);
        }
        end_frame();
    }
    profiler_node_t *a = child_named(root(), DRAW_A);
    const profiler_frame_iterator_t &it = profiler_pause();
    EXPECT_EQ(it.current, 5u);
    for (unsigned f = 0; f < 100; ++f) {
        for (unsigned i = 0; i < 9; ++i) {
            profiler_sample_t x(DRAW_A);
        }
        tick(2);
        end_frame();
        ASSERT_EQ(it.current, 5u);
        ASSERT_EQ(it.newest, 5u);
    }
    // The slot holds the frame being recorded, not a sum over the paused frames.
    EXPECT_EQ(a->calls[5], 0u);
    {
        profiler_sample_t x(DRAW_A);
        tick(3);
    }
    EXPECT_EQ(a->calls[5], 1u);
    EXPECT_EQ(a->total_time[5], 3u);
    for (unsigned f = 0; f < 5; ++f) EXPECT_EQ(a->calls[f], f + 1);
    profiler_unpause();
    end_frame();
    EXPECT_EQ(slot(), 6u);
}

TEST_F(profiler_test, without_memory_new_paths_go_unrecorded) {
    refuse_memory = true;
    {
        profiler_sample_t a(DRAW_A);
        profiler_sample_t s(STEP, PHYSICS);
        tick(3);
    }
    refuse_memory = false;
    EXPECT_EQ(root()->child, nullptr);
    EXPECT_EQ(root()->depth, 1u);
    EXPECT_EQ(profiler_zones()->next, nullptr);
    {
        profiler_sample_t a(DRAW_A);
    }
    EXPECT_NE(child_named(root(), DRAW_A), nullptr);
}

TEST_F(profiler_test, a_second_profiler_takes_over_until_it_ends) {
    profiler_node_t *first = root();
    {
        profiler_initializer_t second;
        EXPECT_NE(root(), first);
        profiler_sample_t a(DRAW_A);
    }
    EXPECT_EQ(root(), first);
    EXPECT_EQ(first->child, nullptr);
}

TEST(profiler, nothing_is_recorded_without_a_profiler) {
    ASSERT_EQ(profiler_tree(), nullptr);
    {
        profiler_sample_t a(DRAW_A);
        profiler_advance_frame();
    }
    EXPECT_EQ(profiler_zones(), nullptr);
    EXPECT_EQ(profiler_elapsed_time(), 0u);
    EXPECT_EQ(profiler_pause().current, 0u);
    profiler_unpause();
}

TEST(profiler, core_start_up_creates_it_and_shutdown_removes_it) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 1;
    const host_new_t n = qrncore_system_new, nv = qrncore_system_new_vector;
    const host_delete_t d = qrncore_system_delete, dv = qrncore_system_delete_vector;
    qrncore_init(n, nv, d, dv, false);
    profiler_node_t *first = profiler_tree();
    ASSERT_NE(first, nullptr);
    {
        profiler_sample_t a(DRAW_A);
    }
    // A second start replaces the profiler (the leak check sees the first one go).
    qrncore_init(n, nv, d, dv, false);
    ASSERT_NE(profiler_tree(), nullptr);
    EXPECT_EQ(profiler_tree()->child, nullptr);
    qrncore_shutdown();
    EXPECT_EQ(profiler_tree(), nullptr);
}

}  // namespace
}  // namespace quarn
