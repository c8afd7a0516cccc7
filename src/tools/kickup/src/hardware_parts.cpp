#include "hardware_parts.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/memory.h"
#include "qrncore/system/cpu.h"
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
    // The core's table, the one the game's start-up names the processor by.
    return cpu_model_name(vendor.c_str(), family, model);
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
