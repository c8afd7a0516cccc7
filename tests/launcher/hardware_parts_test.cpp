#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "support/fake_clock.h"
#include "tools/kickup/src/hardware_parts.h"
#include "tools/kickup/src/settings.h"

namespace quarn::kickup {
namespace {

// A processor given by its CPUID answers.
class fake_cpuid_t : public cpuid_source_t {
public:
    bool has_cpuid = true;
    std::map<uint32_t, platform::cpuid_regs_t> leaves;

    bool available() const override { return has_cpuid; }
    platform::cpuid_regs_t query(uint32_t leaf) const override {
        const auto it = leaves.find(leaf);
        return it == leaves.end() ? platform::cpuid_regs_t{} : it->second;
    }

    // Leaf 0 with a vendor text and leaf 1 with family, model and the TSC bit.
    void set(const char *vendor, uint32_t family, uint32_t model, bool tsc) {
        uint32_t r[3] = {};
        memcpy(r, vendor, 12);
        leaves[0] = {1, r[0], r[2], r[1]};  // EBX, EDX, ECX hold the text in that order
        leaves[1] = {family << 8 | model << 4, 0, 0, tsc ? 1u << 4 : 0u};
    }
    void set_brand(const std::string &brand) {
        leaves[0x80000000u] = {0x80000004u, 0, 0, 0};
        char text[48] = {};
        memcpy(text, brand.data(), std::min(brand.size(), sizeof text));
        for (uint32_t i = 0; i < 3; ++i) {
            platform::cpuid_regs_t r;
            memcpy(&r, text + 16 * i, 16);
            leaves[0x80000002u + i] = r;
        }
    }
};

std::unique_ptr<settings_file_t> levels(const std::string &body) { return settings_parse("\"l\" {\n" + body + "}\n", "db"); }

TEST(launcher_hardware, the_threshold_rule) {
    const auto three = levels("\"low\" : \"0\"\n\"mid\" : \"800\"\n\"high\" : \"1500\"\n");
    const auto above_zero = levels("\"low\" : \"100\"\n\"high\" : \"500\"\n");
    const auto empty = levels("");
    const struct {
        const settings_file_t *db;
        uint32_t figure;
        int32_t rating;
    } cases[] = {
        {three.get(), 0, 0},        {three.get(), 799, 0},    {three.get(), 800, 1},  {three.get(), 1200, 1},
        {three.get(), 2000, 2},     {three.get(), 0xFFFFFFFFu, 2},
        {above_zero.get(), 50, 0},  // below every minimum: the lowest level
        {empty.get(), 1000, 0},     // no levels at all
    };
    for (const auto &c : cases) EXPECT_EQ(threshold_rating(c.db->get_section("l"), c.figure), c.rating) << c.figure;
    EXPECT_EQ(threshold_rating(settings_t::null_proxy(), 5), 0);
}

TEST(launcher_hardware, processors_are_named_by_table_or_by_their_brand_text) {
    const struct {
        const char *vendor;
        uint32_t family, model;
        const char *name;
    } cases[] = {
        {"GenuineIntel", 6, 8, "Pentium III (Coppermine)"},
        {"GenuineIntel", 6, 2, "unknown"},
        {"GenuineIntel", 15, 3, "Pentium IV (Willamette)"},
        {"AuthenticAMD", 5, 7, "K6"},
        {"AuthenticAMD", 6, 11, "Athlon/Duron"},
        {"CyrixInstead", 6, 0, "Cx6x86MX, MII"},
        {"CentaurHauls", 6, 6, "VIA Cyrix III (Samuel)"},
        {"GenuineTMx86", 5, 4, "Transmeta Crusoe x86"},
        {"GenuineIntex", 5, 0, "unknown"},
    };
    for (const auto &c : cases) {
        fake_cpuid_t cpuid;
        cpuid.set(c.vendor, c.family, c.model, false);
        const cpu_info_t cpu(cpuid);
        EXPECT_EQ(cpu.vendor(), c.vendor);
        EXPECT_EQ(cpu.name(), c.name) << c.vendor << " " << c.family << "/" << c.model;
        EXPECT_EQ(cpu.speed_mhz(), 0u);  // no time-stamp counter
    }

    fake_cpuid_t branded;
    branded.set("GenuineIntel", 6, 8, false);
    branded.set_brand("Intel(R) Core(TM) i7-8550U CPU @ 1.80GHz");
    EXPECT_EQ(cpu_info_t(branded).name(), "Intel(R) Core(TM) i7-8550U CPU @ 1.80GHz");
    branded.set_brand(std::string(60, 'X'));
    EXPECT_EQ(cpu_info_t(branded).name(), std::string(48, 'X'));

    fake_cpuid_t only_leaf0;
    only_leaf0.set("AuthenticAMD", 6, 1, true);
    only_leaf0.leaves[0].eax = 0;
    const cpu_info_t bare(only_leaf0);
    EXPECT_EQ(bare.vendor(), "AuthenticAMD");
    EXPECT_EQ(bare.name(), "");
    EXPECT_EQ(bare.speed_mhz(), 0u);

    fake_cpuid_t none;
    none.has_cpuid = false;
    const cpu_info_t unknown(none);
    EXPECT_EQ(unknown.vendor(), "");
    EXPECT_EQ(unknown.speed_mhz(), 0u);
}

TEST(launcher_hardware, speed_is_cycles_over_one_second_of_the_clock) {
    test::fake_clock_t clock;
    clock.usec_per_read = 1000;
    clock.cycles_per_usec = 2400;
    fake_cpuid_t cpuid;
    cpuid.set("GenuineIntel", 6, 8, true);
    const cpu_info_t cpu(cpuid);
    // The cycles of the reads within the second, give or take the one read that ends it.
    EXPECT_GE(cpu.speed_mhz(), 2400u);
    EXPECT_LE(cpu.speed_mhz(), 2403u);
    const auto db = levels("\"a\" : \"0\"\n\"b\" : \"800\"\n\"c\" : \"1500\"\n");
    EXPECT_EQ(cpu.rate(db->get_section("l")), 2);
    EXPECT_EQ(cpu_info_t("v", "n", 1200).rate(db->get_section("l")), 1);
}

TEST(launcher_hardware, memory_is_rated_in_megabytes_rounded_to_four_plus_four) {
    EXPECT_EQ(memory_info_t(510u << 20).rated_megabytes(), 512u);
    EXPECT_EQ(memory_info_t(512u << 20).rated_megabytes(), 516u);
    EXPECT_EQ(memory_info_t(0).rated_megabytes(), 4u);
    EXPECT_EQ(memory_info_t(0xFFFFFFFFu).rated_megabytes(), 4096u);
    // Sizes beyond 4 GiB are sizes, not 4 GiB; the figure ends where 32 bits do.
    EXPECT_EQ(memory_info_t(uint64_t(16) << 30).rated_megabytes(), 16388u);
    EXPECT_EQ(memory_info_t(~uint64_t(0)).rated_megabytes(), 0xFFFFFFFFu);
    const auto db = levels("\"a\" : \"0\"\n\"b\" : \"256\"\n\"c\" : \"512\"\n");
    EXPECT_EQ(memory_info_t(510u << 20).rate(db->get_section("l")), 2);
    EXPECT_EQ(memory_info_t(250u << 20).rate(db->get_section("l")), 0);
    // The machine's own memory.
    const memory_info_t machine;
    EXPECT_GT(machine.total_bytes(), 0u);
}

}  // namespace
}  // namespace quarn::kickup
