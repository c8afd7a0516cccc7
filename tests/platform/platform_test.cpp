#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

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
    // A source without a sleep does not wait: a minute passes at once.
    clock_sleep_msec(60000);
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

TEST(platform_files, positioned_transfers_and_stat) {
    test::temp_dir_t dir;
    native_file_t f;
    ASSERT_TRUE(f.open(dir.file("b").c_str(), FILE_READ | FILE_WRITE | FILE_CREATE | FILE_DISK_ONLY));
    ASSERT_TRUE(f.write_at("0123456789", 10, 0));
    ASSERT_TRUE(f.write_at("xy", 2, 12));  // leaves a hole of zeros
    EXPECT_EQ(f.tell(), 0);
    char buf[4] = {};
    ASSERT_TRUE(f.read_at(buf, 4, 8));
    EXPECT_EQ(std::string(buf, 4), std::string("89\0\0", 4));
    EXPECT_FALSE(f.read_at(buf, 4, 11));  // only 3 bytes remain
    EXPECT_TRUE(f.read_at(buf, 0, 100));
    file_info_t info;
    ASSERT_TRUE(f.stat(&info));
    EXPECT_EQ(info.kind, FILE_KIND_REGULAR);
    EXPECT_EQ(info.size, 14u);
    file_info_t by_path;
    ASSERT_TRUE(file_stat(dir.file("b").c_str(), &by_path));
    EXPECT_EQ(by_path.time, info.time);
    EXPECT_GT(info.time, file_time_from_unix(1577836800, 0));  // after 2020
    ASSERT_TRUE(file_stat(dir.path().c_str(), &by_path));
    EXPECT_EQ(by_path.kind, FILE_KIND_DIRECTORY);
    EXPECT_FALSE(file_stat(dir.file("none").c_str(), &by_path));

    // A pipe is no disk file, and looking at it does not wait for a writer.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_TRUE(file_stat(dir.file("pipe").c_str(), &by_path));
    EXPECT_EQ(by_path.kind, FILE_KIND_OTHER);
    native_file_t pipe;
    EXPECT_FALSE(pipe.open(dir.file("pipe").c_str(), FILE_READ | FILE_DISK_ONLY));
}

TEST(platform_files, times_count_100_ns_from_1601) {
    EXPECT_EQ(file_time_from_unix(0, 0), 116444736000000000u);
    EXPECT_EQ(file_time_from_unix(1, 250), 116444736010000002u);
    EXPECT_EQ(file_time_from_unix(-11644473600, 0), 0u);
    EXPECT_EQ(file_time_from_unix(-11644473601, 0), 0u);
    EXPECT_EQ(file_time_from_unix(INT64_MAX, 0), UINT64_MAX);
}

struct collect_t : dir_visitor_t {
    void on_entry(const char *name, const file_info_t &info) override {
        names.push_back(name);
        kinds.push_back(info.kind);
    }
    std::vector<std::string> names;
    std::vector<file_kind_t> kinds;
};

TEST(platform_files, directories_and_sorted_listings) {
    test::temp_dir_t dir;
    const std::string sub = dir.file("Sub");
    EXPECT_TRUE(dir_create(sub.c_str()));
    EXPECT_TRUE(dir_create(sub.c_str()));  // already there
    for (const char *name : {"b.txt", "B.txt", "a.TXT", "_x", "c"}) test::write_file(dir.file(name), "1");
    EXPECT_FALSE(dir_create(dir.file("c").c_str()));  // a file is in the way

    collect_t all;
    ASSERT_TRUE(dir_list(dir.path().c_str(), all));
    EXPECT_EQ(all.names, (std::vector<std::string>{"_x", "a.TXT", "B.txt", "b.txt", "c", "Sub"}));
    EXPECT_EQ(all.kinds[5], FILE_KIND_DIRECTORY);
    EXPECT_EQ(all.kinds[0], FILE_KIND_REGULAR);

    EXPECT_FALSE(dir_remove(dir.file("c").c_str()));
    EXPECT_FALSE(file_remove(sub.c_str()));
    EXPECT_TRUE(file_remove(dir.file("c").c_str()));
    EXPECT_TRUE(dir_remove(sub.c_str()));
    EXPECT_FALSE(dir_remove(sub.c_str()));
    collect_t rest;
    ASSERT_TRUE(dir_list(dir.path().c_str(), rest));
    EXPECT_EQ(rest.names, (std::vector<std::string>{"_x", "a.TXT", "B.txt", "b.txt"}));
    collect_t none;
    EXPECT_FALSE(dir_list(sub.c_str(), none));
}

}  // namespace
}  // namespace quarn::platform
