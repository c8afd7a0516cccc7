#include "hardware_parts.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/memory.h"
#include "settings.h"

namespace quarn::kickup {

namespace {

class system_cpuid_t : public cpuid_source_t {
public:
    bool available() const override { return platform::cpu_has_cpuid(); }
    platform::cpuid_regs_t query(uint32_t leaf) const override {
        platform::cpuid_regs_t r{};
        platform::cpu_cpuid(leaf, &r);
        return r;
    }
};

void append_register(std::string &s, uint32_t r) {
    for (int i = 0; i < 4; ++i) s += char((r >> (8 * i)) & 0xFF);
}

struct name_row_t {
    const char *vendor;
    uint32_t family;
    int model;  // -1: any
    const char *name;
};

constexpr name_row_t NAMES[] = {
    {"GenuineIntel", 3, -1, "386"},
    {"GenuineIntel", 4, -1, "486"},
    {"GenuineIntel", 5, -1, "Pentium"},
    {"GenuineIntel", 6, 1, "Pentium Pro"},
    {"GenuineIntel", 6, 3, "Pentium II (Klamath)"},
    {"GenuineIntel", 6, 5, "Pentium II (Deschutes)"},
    {"GenuineIntel", 6, 6, "Celeron A (Mendocino)"},
    {"GenuineIntel", 6, 7, "Pentium III (Katmai)"},
    {"GenuineIntel", 6, 8, "Pentium III (Coppermine)"},
    {"GenuineIntel", 6, 10, "Pentium III Xeon (Cascades)"},
    {"GenuineIntel", 15, -1, "Pentium IV (Willamette)"},
    {"AuthenticAMD", 3, -1, "386"},
    {"AuthenticAMD", 4, -1, "486"},
    {"AuthenticAMD", 5, 6, "K6"},
    {"AuthenticAMD", 5, 7, "K6"},
    {"AuthenticAMD", 5, 8, "K6-2"},
    {"AuthenticAMD", 5, 9, "K6-3"},
    {"AuthenticAMD", 5, 13, "K6-2+/K6-3+"},
    {"AuthenticAMD", 6, -1, "Athlon/Duron"},
    {"CyrixInstead", 5, 2, "Cx6x86"},
    {"CyrixInstead", 5, 4, "CxGXm"},
    {"CyrixInstead", 6, 0, "Cx6x86MX, MII"},
    {"CyrixInstead", 6, 5, "VIA Cyrix III (Joshua)"},
    {"CentaurHauls", 5, 4, "IDT C6 (WinChip)"},
    {"CentaurHauls", 5, 8, "IDT C6-2 (WinChip2)"},
    {"CentaurHauls", 5, 9, "IDT C6-3 (WinChip3)"},
    {"CentaurHauls", 6, 6, "VIA Cyrix III (Samuel)"},
    {"GenuineTMx86", 5, -1, "Transmeta Crusoe x86"},
};

}  // namespace

int32_t threshold_rating(const settings_t &levels, uint32_t figure) {
    for (size_t i = levels.key_count(); i-- > 0;)
        if (levels.get_unsigned(levels.key_at(i), 0) <= figure) return int32_t(i);
    return 0;
}

const cpuid_source_t &system_cpuid() {
    static const system_cpuid_t source;
    return source;
}

std::string cpu_identify(const std::string &vendor, uint32_t family, uint32_t model) {
    for (const name_row_t &row : NAMES)
        if (vendor == row.vendor && family == row.family && (row.model < 0 || uint32_t(row.model) == model))
            return row.name;
    return "unknown";
}

uint32_t measure_cpu_speed() {
    // Start on a fresh tick of the clock, so the second is measured from its edge.
    const uint64_t first = platform::clock_usec();
    uint64_t start;
    while ((start = platform::clock_usec()) == first) {
    }
    const uint64_t cycles0 = platform::clock_cycles();
    while (platform::clock_usec() - start < 1000000) {
    }
    const uint64_t cycles = platform::clock_cycles() - cycles0;
    const uint64_t mhz = cycles / 1000000;
    return mhz > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(mhz);
}

cpu_info_t::cpu_info_t(const cpuid_source_t &cpuid) {
    if (!cpuid.available()) return;
    const platform::cpuid_regs_t leaf0 = cpuid.query(0);
    append_register(m_vendor, leaf0.ebx);
    append_register(m_vendor, leaf0.edx);
    append_register(m_vendor, leaf0.ecx);
    m_vendor.resize(strnlen(m_vendor.c_str(), 12));
    if (leaf0.eax == 0) return;

    const platform::cpuid_regs_t leaf1 = cpuid.query(1);
    m_name = cpu_identify(m_vendor, (leaf1.eax >> 8) & 0xF, (leaf1.eax >> 4) & 0xF);
    if (cpuid.query(0x80000000u).eax >= 0x80000002u) {
        std::string brand;
        for (uint32_t leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
            const platform::cpuid_regs_t r = cpuid.query(leaf);
            for (uint32_t reg : {r.eax, r.ebx, r.ecx, r.edx}) append_register(brand, reg);
        }
        m_name = brand.substr(0, strnlen(brand.c_str(), 48));
    }
    if (leaf1.edx & (1u << 4)) m_speed_mhz = measure_cpu_speed();
}

memory_info_t::memory_info_t() {
    platform::memory_status_t status{};
    if (platform::memory_status(&status))
        m_total_bytes = status.total_physical;
}

}  // namespace quarn::kickup
