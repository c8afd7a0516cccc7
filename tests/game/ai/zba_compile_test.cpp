// The behaviour compiler: golden listings of small fixtures, the programs each
// failure leaves (none) with its message, and the per-file program caches.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "qrncore/spatial/le_bytes.h"
#include "zba_program_fixture.h"

namespace quarn::test {
namespace {

using lines_t = std::vector<std::string>;

std::string fmt(float value) {
    char text[32];
    snprintf(text, sizeof text, "%g", double(value));
    return text;
}

// The n-th value of the kernel's random sequence after a reset (the fixture's clock
// keeps the cycle counter at 0), leaving the sequence reset.
float nth_random(int n) {
    sys_reset_random();
    float r = 0.0f;
    for (int i = 0; i < n; ++i) r = sys_rand();
    sys_reset_random();
    return r;
}

const char *const behaviors = R"(
    "one" { channels { "body" { 0 anim { anim : "walk_a" length : "2" s_weight : "1" e_weight : "0" } } } }
    "key" { channels { "body" {
        0 anim { anim : "walk_a" length : "0.30" s_weight : "0" e_weight : "1" }
        0.10 weight { weight : "0.8" } } } }
    "flat" { channels { "body" { 0 anim { anim : "walk_a" length : "1" s_weight : "0.5" e_weight : "0.505" } } } }
    "close" { channels { "body" {
        0 anim { anim : "walk_a" length : "1" s_weight : "0.5" e_weight : "0.505" }
        0.5 weight { weight : "1" }
        0.505 weight { weight : "0.2" } } } }
    "stretch" { channels { "body" {
        0 anim { anim : "walk_a" length : "1.5" proportional : "yes" }
        0.5 info { info : "mid" }
        2 info { info : "after" }
        3 anim { anim : "look_a" length : "0.5" s_weight : "0" } } } }
    "inside" { channels { "body" {
        0 anim { anim : "walk_a" length : "1" proportional : "yes" }
        0.9 anim { anim : "run_a" length : "3" } } } }
    "shift" { channels { "body" {
        0 anim { anim : "walk_a" length : "1" }
        0.5 warp { warp : "2" } } } }
    "two" { channels {
        "legs" { 0 anim { anim : "run_a" length : "1" } }
        "head" { 0 anim { anim : "look_a" length : "2" s_weight : "0" } }
        "steps" { 00:00.35 info { info : "footstep" } 0.6 sound { sound : "step.wav" } } } }
)";

const char *const transitions = R"(
    simple {
        "body" : "stand" { anim : "walk_a" length : "0.5" s_weight : "0" }
        "body" : "lay" { anim : "look_a" single_frame : "yes" }
        "head" : "down" { length : "0.25" }
    }
    complex {
        "stand_to_lay" { features { "body" : "stand" -> "lay" }
            channels { "body" { 0 anim { anim : "run_a" length : "1.5" } } } }
    }
)";

using zba_compile_listing = zba_program_test;

TEST_F(zba_compile_listing, golden_listings) {
    ASSERT_TRUE(load(file_text(behaviors, transitions)));
    struct case_t {
        const char *what;
        std::vector<int32_t> behaviors, complex, simple;
        lines_t expected;
    };
    const int32_t b_one = behavior("one"), b_key = behavior("key"), b_flat = behavior("flat"),
                  b_close = behavior("close"), b_stretch = behavior("stretch"), b_shift = behavior("shift"),
                  b_two = behavior("two"), b_inside = behavior("inside");
    const std::string shift = fmt(nth_random(1) * 2.0f);
    const case_t cases[] = {
        {"one animation at 0 of length 2", {b_one}, {}, {}, {"wgh 1 / wgs -0.5 / anm walk_a / wtt 2 / wgh 0 / hlt"}},
        {"a weight key at 0.10 bends the envelope",
         {b_key},
         {},
         {},
         {"wgh 0 / wgs 8 / anm walk_a / wtt 0.1 / wgh 0.8 / wgs 1 / wtt 0.3 / wgh 1 / hlt"}},
        {"a slope within 0.01 is emitted as it is",
         {b_flat},
         {},
         {},
         {"wgh 0.5 / wgs 0.005 / anm walk_a / wtt 1 / wgh 0.505 / hlt"}},
        {"keys less than 0.01 s apart: one wait, no rewrite between them",
         {b_close},
         {},
         {},
         {"wgh 0.5 / wgs 1 / anm walk_a / wtt 0.5 / wgh 1 / wgs -0.99 / wgh 0.2 / wgs 0.616162 / wtt 1 / wgh 0.505 "
          "/ hlt"}},
        {"a proportional animation stretches the later items",
         {b_stretch},
         {},
         {},
         {"wgh 1 / wgs 0 / anm walk_a / wtt 1 / evt info mid / wtt 3 / wgh 1 / wtt 3.5 / evt info after / wtt 4.5 / "
          "wgh 0 / wgs 2 / anm look_a / wtt 5 / wgh 1 / hlt"}},
        {"an item inside a proportional span stretches with it",
         {b_inside},
         {},
         {},
         {"wgh 1 / wgs 0 / anm walk_a / wtt 1.8 / wgh 1 / wgs 0 / anm run_a / wtt 4.8 / wgh 1 / hlt"}},
        {"a random shift drawn at compile time",
         {b_shift},
         {},
         {},
         {"wgh 1 / wgs 0 / anm walk_a / wtt 0.5 / tsh " + shift + " / wtt 1 / wgh 1 / hlt"}},
        {"simple transitions with and without an animation, single_frame",
         {},
         {},
         {0, 1, 2},
         {"wgh 0 / wgs 2 / anm walk_a / ans 0 / wtt 0.5 / wgh 1 / hlt",
          "wgh 1 / wgs 0 / anm look_a / ans 1 / wtt 1 / wgh 1 / hlt", "wtt 0.25 / hlt"}},
        {"several channels, several threads",
         {b_two},
         {},
         {},
         {"wgh 1 / wgs 0 / anm run_a / wtt 1 / wgh 1 / hlt", "wgh 0 / wgs 0.5 / anm look_a / wtt 2 / wgh 1 / hlt",
          "wtt 0.35 / evt info footstep / wtt 0.6 / evt sound step.wav / wtt 0.6 / hlt"}},
        {"behaviours, then complex, then simple transitions",
         {b_one},
         {0},
         {2},
         {"wgh 1 / wgs -0.5 / anm walk_a / wtt 2 / wgh 0 / hlt", "wgh 1 / wgs 0 / anm run_a / wtt 1.5 / wgh 1 / hlt",
          "wtt 0.25 / hlt"}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        sys_reset_random();
        const c_item_ptr_t program =
            zba_compile(file.get(), c.behaviors.data(), uint32_t(c.behaviors.size()), c.complex.data(),
                        uint32_t(c.complex.size()), c.simple.data(), uint32_t(c.simple.size()));
        ASSERT_TRUE(program);
        EXPECT_EQ(listing(program.get()), c.expected);
        EXPECT_EQ(header_of(program.get()).thread_count, c.expected.size());
    }
    EXPECT_EQ(log.texts(message_t::ERROR), lines_t{});
    // One record of the file compiles alone as it does by its number.
    const c_item_ptr_t record = zba_compile_record(file.get(), info().behavior(uint32_t(b_key)));
    ASSERT_TRUE(record);
    EXPECT_EQ(listing(record.get()), cases[1].expected);
    // The file's durations follow the same stretch: a behaviour lasts as long as its
    // program runs.
    EXPECT_FLOAT_EQ(info().behavior(uint32_t(b_inside)).duration(), 4.8f);
    EXPECT_FLOAT_EQ(info().behavior(uint32_t(b_stretch)).duration(), 5.0f);
}

TEST_F(zba_compile_listing, the_verbose_log_prints_a_listing) {
    ASSERT_TRUE(load(file_text(behaviors, transitions)));
    const c_item_ptr_t program = compile("two");
    ASSERT_TRUE(program);
    zba_log_listing(program.get(), "two");
    EXPECT_EQ(log.texts(message_t::VERBOSE),
              (lines_t{"[zba_vm] two thread 0: wgh 1 / wgs 0 / anm run_a / wtt 1 / wgh 1 / hlt",
                       "[zba_vm] two thread 1: wgh 0 / wgs 0.5 / anm look_a / wtt 2 / wgh 1 / hlt",
                       "[zba_vm] two thread 2: wtt 0.35 / evt info footstep / wtt 0.6 / evt sound step.wav / wtt 0.6 / "
                       "hlt"}));
}

// Rewrites a 32-bit field of the loaded file's block, as a record that did not come
// from a file would hold it.
void patch(const zba_info_t &info, uint32_t at, uint32_t value) { le_bytes::put_u32(info.image() + at, value); }
void patch(const zba_info_t &info, uint32_t at, float value) { le_bytes::put_f32(info.image() + at, value); }

std::string many_channels(int n) {
    std::string text = "\"many" + std::to_string(n) + "\" { channels {";
    for (int i = 0; i < n; ++i) text += " \"c" + std::to_string(i) + "\" { 0 info { info : \"x\" } }";
    return text + " } }";
}

// n info items at 1, 2, ... n s: a wait and an event each, then a wait and hlt.
std::string many_items(int n) {
    std::string text = "\"long" + std::to_string(n) + "\" { channels { \"c\" {";
    for (int i = 0; i < n; ++i) text += " " + std::to_string(i + 1) + " info { info : \"x\" }";
    return text + " } } }";
}

// Each failure logs its message and the compile error, gives no program and leaves no
// item behind.
TEST_F(zba_compile_listing, failures_give_no_program) {
    std::string more_states = "\"many\" {";
    std::string simples;
    for (int i = 0; i < 33; ++i) {
        more_states += " \"s" + std::to_string(i) + "\"";
        simples += " \"many\" : \"s" + std::to_string(i) + "\" { length : \"1\" }";
    }
    std::string text = file_text(std::string(behaviors) + many_channels(32) + many_items(127) + many_items(128) +
                                     many_channels(33),
                                 "simple {" + simples + " \"body\" : \"walk\" { anim : \"run_a\" } }");
    text.replace(text.find("\"head\""), 0, more_states + " } ");
    ASSERT_TRUE(load(text));
    const zba_info_t file_info = info();
    ASSERT_EQ(file_info.simple_count(), 34u);

    // Within the limits: 32 threads; 127 waits and events, the last wait and hlt make
    // 256 instructions.
    EXPECT_TRUE(compile("many32"));
    {
        const c_item_ptr_t full = compile("long127");
        ASSERT_TRUE(full);
        EXPECT_EQ(header_of(full.get()).code_count, 256u);
    }
    std::vector<int32_t> simple32;
    for (int32_t i = 0; i < 32; ++i) simple32.push_back(i);
    EXPECT_TRUE(zba_compile(file.get(), nullptr, 0, nullptr, 0, simple32.data(), 32));

    // Records no file holds: an item kind above 4, animation lengths of 0 and below.
    const zba_behavior_t one = file_info.behavior(uint32_t(behavior("one")));
    const zba_item_t one_item = one.channel(0).first_item();
    const zba_behavior_t stretch = file_info.behavior(uint32_t(behavior("stretch")));
    const zba_item_t mid_item = stretch.channel(0).first_item().next();
    const zba_simple_t walk_simple = file_info.simple_transition(33);
    const zba_simple_t none_simple = file_info.simple_transition(0);

    const int32_t b_one = behavior("one"), b_stretch = behavior("stretch"), b_long128 = behavior("long128"),
                  b_many33 = behavior("many33");
    struct case_t {
        const char *what;
        std::vector<int32_t> behaviors, simple;
        std::function<void()> make_bad;
        lines_t messages;
    };
    const case_t cases[] = {
        {"an item kind above 4",
         {b_stretch},
         {},
         [&] { patch(file_info, mid_item.offset() + zba_layout::I_KIND, 7u); },
         {"[zba_vm:compile] unknown event type 7", "[zba_vm:compile] behavior compile error in /zt/t.zba"}},
        {"the 33rd thread of a behaviour",
         {b_many33},
         {},
         {},
         {"[zba_vm:compile_bhv] maximum number of threads reached in behavior many33",
          "[zba_vm:compile] behavior compile error in /zt/t.zba"}},
        {"the 33rd thread over several records",
         {b_one},
         simple32,
         {},
         {"[zba_vm:compile_trn] maximum number of threads reached [32]",
          "[zba_vm:compile] transition compile error in /zt/t.zba"}},
        {"a code-buffer overflow",
         {b_long128},
         {},
         {},
         {"[zba_vm] code compile buffer overflow [2048 bytes]",
          "[zba_vm:compile] behavior compile error in /zt/t.zba"}},
        {"a behaviour number out of range", {99}, {}, {}, {"[zba_vm:compile] cannot find behavior 99"}},
        {"a simple transition out of range", {}, {34}, {}, {"[zba_vm:compile] cannot find simple transition 34"}},
        {"an animation length of 0",
         {b_one},
         {},
         [&] { patch(file_info, one_item.offset() + zba_layout::I_LENGTH, 0.0f); },
         {"[zba_vm:compile_bhv] animation length 0 must be above 0 in behavior one",
          "[zba_vm:compile] behavior compile error in /zt/t.zba"}},
        {"an animation length below 0",
         {b_one},
         {},
         [&] { patch(file_info, one_item.offset() + zba_layout::I_LENGTH, -2.0f); },
         {"[zba_vm:compile_bhv] animation length -2 must be above 0 in behavior one",
          "[zba_vm:compile] behavior compile error in /zt/t.zba"}},
        {"a transition length of 0",
         {},
         {33},
         [&] { patch(file_info, walk_simple.item().offset() + zba_layout::I_LENGTH, 0.0f); },
         {"[zba_vm:compile_trn] transition length 0 must be above 0",
          "[zba_vm:compile] transition compile error in /zt/t.zba"}},
        {"a transition without animation, length below 0",
         {},
         {0},
         [&] { patch(file_info, none_simple.item().offset() + zba_layout::I_LENGTH, -1.0f); },
         {"[zba_vm:compile_trn] transition length -1 must be above 0",
          "[zba_vm:compile] transition compile error in /zt/t.zba"}},
    };
    const uint32_t items = item_count();
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.make_bad) c.make_bad();
        log.clear();
        const c_item_ptr_t program = zba_compile(file.get(), c.behaviors.data(), uint32_t(c.behaviors.size()),
                                                 nullptr, 0, c.simple.data(), uint32_t(c.simple.size()));
        EXPECT_FALSE(program);
        EXPECT_EQ(log.texts(message_t::ERROR), c.messages);
        EXPECT_EQ(item_count(), items) << "no program item is left";
    }
    log.clear();
}

// Programs are cached per file under a behaviour or a (from, to) pair; unloading the
// file drops them.
TEST_F(zba_compile_listing, programs_are_cached_per_file) {
    ASSERT_TRUE(load(file_text(behaviors, transitions)));
    const zba_info_t file_info = info();
    const int32_t one = behavior("one"), key = behavior("key");
    const uint32_t items = item_count();

    c_item_ptr_t first = file_info.compiled_behavior(one);
    ASSERT_TRUE(first);
    EXPECT_EQ(file_info.compiled_behavior(one).get(), first.get()) << "the second comes from the cache";
    EXPECT_EQ(first->ref_count, 2u) << "the cache and the caller";
    EXPECT_EQ(item_count(), items + 1);

    const int32_t complex[] = {0}, simple[] = {1, 2};
    EXPECT_FALSE(file_info.compiled_transition(one, key, nullptr, 0, nullptr, 0)) << "nothing cached, no lists";
    c_item_ptr_t transition = file_info.compiled_transition(one, key, complex, 1, simple, 2);
    ASSERT_TRUE(transition);
    EXPECT_EQ(header_of(transition.get()).thread_count, 3u);
    EXPECT_EQ(file_info.compiled_transition(one, key, nullptr, 0, nullptr, 0).get(), transition.get());
    EXPECT_FALSE(file_info.compiled_transition(key, one, nullptr, 0, nullptr, 0)) << "pairs are ordered";
    {
        // A transition from no behaviour is compiled for its caller and not kept.
        const c_item_ptr_t loose = file_info.compiled_transition(-1, key, nullptr, 0, simple, 1);
        ASSERT_TRUE(loose);
        EXPECT_EQ(loose->ref_count, 1u);
    }
    EXPECT_EQ(file_info.runtime()->programs.get_count(), 2u);

    log.clear();
    EXPECT_FALSE(file_info.compiled_behavior(99));
    EXPECT_EQ(log.texts(message_t::ERROR), lines_t{"[zba_vm:compile] cannot find behavior 99"});
    EXPECT_EQ(file_info.runtime()->programs.get_count(), 2u) << "a failure is not cached";

    // Unloading drops the cache: the callers' references are the last ones.
    file->get_unit()->unload_memory();
    EXPECT_EQ(first->ref_count, 1u);
    EXPECT_EQ(transition->ref_count, 1u);
    first.release();
    transition.release();
    EXPECT_EQ(item_count(), items);
}

}  // namespace
}  // namespace quarn::test
