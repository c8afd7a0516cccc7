#include "qrncore/system/timers.h"

#include <gtest/gtest.h>

#include "qrncore/system/cpu.h"
#include "support/fake_clock.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

TEST(vtimer, advance_and_set_arithmetic) {
    vtimer_t t;
    t.advance_usec(1000000);
    EXPECT_EQ(t.previous, 0u);
    EXPECT_EQ(t.current, 1000000u);
    EXPECT_EQ(t.step, 1.0);
    EXPECT_EQ(t.time, 1.0);
    t.advance_usec(250000);
    EXPECT_EQ(t.time, 1.25);
    // A stamp earlier than the current one steps back.
    t.set_usec(750000);
    EXPECT_EQ(t.previous, 1250000u);
    EXPECT_DOUBLE_EQ(t.step, -0.5);
    EXPECT_DOUBLE_EQ(t.time, 0.75);
}

TEST(vtimer, speed_change_and_revert) {
    vtimer_t t, saved;
    t.advance_usec(200000);
    t.change_time_speed(&saved, 0.5);
    EXPECT_TRUE(t.speed_changed);
    EXPECT_DOUBLE_EQ(t.step, 0.1);
    EXPECT_DOUBLE_EQ(saved.step, 0.2);
    t.time += t.step;
    t.revert_time_speed(&saved);
    EXPECT_DOUBLE_EQ(t.time, 0.2);
    EXPECT_DOUBLE_EQ(t.step, 0.2);

    vtimer_t same, save2;
    same.change_time_speed(&save2, 1.0);
    EXPECT_FALSE(same.speed_changed);
}

TEST(expire_timer, elapsed_fraction) {
    EXPECT_FLOAT_EQ(expire_timer_t(2.0f, 0.5f).get_elapsed_relative(), 0.75f);
    EXPECT_FLOAT_EQ(expire_timer_t(2.0f, 0.0f).get_elapsed_relative(), 1.0f);
    EXPECT_FLOAT_EQ(expire_timer_t(2.0f, -1.0f).get_elapsed_relative(), 1.0f);
    EXPECT_FLOAT_EQ(expire_timer_t(2.0f, 2.0f).get_elapsed_relative(), 0.0f);
}

TEST(timers, millisecond_clock_and_its_wrap) {
    test::fake_clock_t clock;
    clock.usec = 5123456;
    EXPECT_EQ(tmr_read(), 5123000u);
    // The 32-bit millisecond clock wraps after about 49.7 days.
    clock.usec = (uint64_t(1) << 32) * 1000u + 7000u;
    EXPECT_EQ(tmr_read(), 7000u);
}

TEST(cpu, speed_measurement_with_an_injected_clock) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 2400;
    EXPECT_EQ(cpu_measure_speed(0), 2400u);
    EXPECT_EQ(cpu_measure_speed(3), 2400u);

    // A counter too fast for 32 bits per millisecond counts as 1337 cycles.
    clock.cycles_per_usec = uint64_t(1) << 32;
    EXPECT_EQ(cpu_measure_speed(0), 1u);

    // A counter that stands still would give 0 MHz: never below 1.
    clock.cycles_per_usec = 0;
    EXPECT_EQ(cpu_measure_speed(0), 1u);
}

TEST(cpu, conversions_use_the_measured_speed) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 1000;
    cpu_startup(false);
    ASSERT_EQ(cpu_get_cpu_speed(), 1000u);
    EXPECT_EQ(tmr_cycles_to_usec(5000000), 5000u);
    clock.usec_per_read = 0;
    const uint64_t start = tmr_get_cycles();
    clock.cycles += 2500000;
    EXPECT_FLOAT_EQ(get_elapsed_time_ms(start), 2.5f);
}

TEST(cpu, without_identification) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 0;  // a dead counter still leaves 1 MHz
    EXPECT_EQ(cpu_startup(false), uint32_t(CPU_FPU));
    EXPECT_GE(cpu_get_cpu_speed(), 1u);
    EXPECT_EQ(fptr_mm_memcpy, &cpu_memcpy_plain);
    test::message_capture_t capture;
    cpu_display_info();
    auto lines = capture.texts(message_t::MESSAGE);
    ASSERT_EQ(lines.size(), 2u);
#if defined(__x86_64__)
    EXPECT_EQ(lines[0], "[cpu]  [unknown] at ~1MHz.");
#endif
    EXPECT_EQ(lines[1], "[cpu] Features utilized: fpu.");
}

#if defined(__x86_64__)
TEST(cpu, identification_on_x86_64) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 3000;
    uint32_t features = cpu_startup(true);
    EXPECT_TRUE(features & CPU_IDENTIFIED);
    EXPECT_TRUE(features & CPU_SSE2);
    EXPECT_EQ(fptr_mm_memcpy, &cpu_memcpy_sse);
    EXPECT_EQ(strlen(fptr_get_cpu_vendor()), 12u);
    EXPECT_EQ(cpu_get_cpu_speed(), 3000u);
    test::message_capture_t capture;
    cpu_display_info();
    EXPECT_TRUE(capture.contains(" sse sse2."));
    cpu_startup(false);
}
#endif

TEST(cpu, model_names) {
    EXPECT_STREQ(cpu_model_name("GenuineIntel", 6, 8), "Pentium III (Coppermine)");
    EXPECT_STREQ(cpu_model_name("GenuineIntel", 15, 3), "Pentium IV (Willamette)");
    EXPECT_STREQ(cpu_model_name("AuthenticAMD", 5, 7), "K6");
    EXPECT_STREQ(cpu_model_name("AuthenticAMD", 6, 99), "Athlon/Duron");
    EXPECT_STREQ(cpu_model_name("GenuineIntel", 6, 2), "unknown");
    EXPECT_STREQ(cpu_model_name("Other", 6, 1), "unknown");
}

// Every routine at sizes around its block and alignment edges and on both sides of
// the streaming threshold, from a source and to a destination that are not aligned.
TEST(cpu, copy_routines_copy_and_return_the_end) {
    for (size_t n : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(65), size_t(1000), size_t(70001),
                     CPU_STREAM_COPY_MIN - 1, CPU_STREAM_COPY_MIN + 77}) {
        std::vector<unsigned char> src(n + 3), a(n + 3, 0), b(n + 3, 0), c(n + 3, 0);
        for (size_t i = 0; i < src.size(); ++i) src[i] = (unsigned char)(i * 7 + 1);
        EXPECT_EQ(cpu_memcpy_plain(a.data() + 1, src.data() + 2, n), a.data() + 1 + n);
        EXPECT_EQ(cpu_memcpy_sse(b.data() + 1, src.data() + 2, n), b.data() + 1 + n);
        EXPECT_EQ(cpu_memcpy_stream(c.data() + 1, src.data() + 2, n), c.data() + 1 + n);
        EXPECT_TRUE(a == b && a == c) << n;
        EXPECT_EQ(0, memcmp(a.data() + 1, src.data() + 2, n));
    }
}

// The engine's copy makes small copies itself and leaves those from
// CPU_STREAM_COPY_MIN on to the installed routine, whatever it is.
void *(*counted_routine)(void *, const void *, size_t) = nullptr;
int counted_calls = 0;
void *counting_copy(void *dst, const void *src, size_t len) {
    ++counted_calls;
    return counted_routine(dst, src, len);
}

TEST(cpu, engine_copy_leaves_large_copies_to_the_installed_routine) {
    const auto saved = fptr_mm_memcpy;
    for (auto routine : {&cpu_memcpy_plain, &cpu_memcpy_sse}) {
        counted_routine = routine;
        fptr_mm_memcpy = counting_copy;
        counted_calls = 0;
        for (size_t n : {size_t(0), size_t(1), size_t(64), size_t(1000), CPU_STREAM_COPY_MIN - 1, CPU_STREAM_COPY_MIN + 77}) {
            std::vector<unsigned char> src(n + 3), dst(n + 3, 0);
            for (size_t i = 0; i < src.size(); ++i) src[i] = (unsigned char)(i * 5 + 3);
            EXPECT_EQ(cpu_copy(dst.data() + 1, src.data() + 2, n), dst.data() + 1 + n);
            EXPECT_EQ(0, memcmp(dst.data() + 1, src.data() + 2, n)) << n;
            EXPECT_EQ(dst[0], 0);
            EXPECT_EQ(dst[n + 1], 0);
        }
        EXPECT_EQ(counted_calls, 1);
    }
    fptr_mm_memcpy = saved;
}

}  // namespace
}  // namespace quarn
