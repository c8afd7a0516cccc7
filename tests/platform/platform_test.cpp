#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/cpu.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "support/temp_dir.h"

namespace quarn::platform {
namespace {

TEST(platform_clock, monotonic_and_replaceable) {
    uint64_t a = clock_usec(), b = clock_usec();
    EXPECT_LE(a, b);
    static uint64_t fixed_usec = 42, fixed_cycles = 7;
    static const clock_source_t fixed = {[] { return fixed_usec; }, [] { return fixed_cycles; }};
    clock_set_source(&fixed);
    EXPECT_EQ(clock_usec(), 42u);
    EXPECT_EQ(clock_cycles(), 7u);
    clock_set_source(nullptr);
    EXPECT_GE(clock_usec(), b);
}

TEST(platform_cpu, vendor_leaf_answers_on_x86_64) {
    cpuid_regs_t r{};
#if defined(__x86_64__)
    EXPECT_TRUE(cpu_has_cpuid());
    EXPECT_TRUE(cpu_cpuid(0, &r));
    EXPECT_GE(r.eax, 1u);
#else
    EXPECT_FALSE(cpu_cpuid(0, &r));
#endif
}

TEST(platform_memory, status_and_reserved_ranges) {
    memory_status_t st{};
    ASSERT_TRUE(memory_status(&st));
    EXPECT_GT(st.total_physical, 0u);
    void *p = memory_reserve(1 << 20);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 4096, 0u);
    EXPECT_EQ(static_cast<unsigned char *>(p)[12345], 0);
    memory_release(p, 1 << 20);
    EXPECT_EQ(memory_reserve(0), nullptr);
}

TEST(platform_files, write_seek_read) {
    test::temp_dir_t dir;
    native_file_t f;
    ASSERT_TRUE(f.open(dir.file("a").c_str(), FILE_READ | FILE_WRITE | FILE_CREATE));
    ASSERT_TRUE(f.write("hello world", 11));
    EXPECT_EQ(f.size(), 11);
    EXPECT_EQ(f.seek(-5, SEEK_FROM_END), 6);
    char buf[16] = {};
    EXPECT_EQ(f.read(buf, sizeof buf), 5);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(f.read(buf, 4), 0);
    native_file_t missing;
    EXPECT_FALSE(missing.open(dir.file("none").c_str(), FILE_READ));
    native_file_t folder;
    EXPECT_FALSE(folder.open(dir.path().c_str(), FILE_READ));
}

}  // namespace
}  // namespace quarn::platform
