#pragma once
// The processor and the memory as the ratings see them: a named processor with its
// speed in MHz, and the total physical memory. Both are rated by one threshold rule
// against a section of levels in the hardware database.
#include <cstdint>
#include <string>

#include "platform/cpu.h"

namespace quarn::kickup {

class settings_t;

// The rating of a measured figure against a section of levels: the keys, in the order
// they were read, are levels 0, 1, 2...; each value is the level's minimum. The rating
// is the highest level whose minimum the figure reaches; 0 when it reaches none or
// the section is empty.
int32_t threshold_rating(const settings_t &levels, uint32_t figure);

class hardware_part_t {
public:
    virtual ~hardware_part_t() = default;
    virtual bool is_available() const { return true; }
    virtual int32_t rate(const settings_t &levels) const = 0;
};

// Answers CPUID; the tests give fakes.
class cpuid_source_t {
public:
    virtual ~cpuid_source_t() = default;
    virtual bool available() const = 0;
    virtual platform::cpuid_regs_t query(uint32_t leaf) const = 0;
};

// The processor's own CPUID.
const cpuid_source_t &system_cpuid();

// The name of a processor by vendor text, family and model; "unknown" where the table
// knows none.
std::string cpu_identify(const std::string &vendor, uint32_t family, uint32_t model);
// The cycle counter's rate in MHz over one second of the platform clock (busy
// waiting; tests fake the clock); 0 when it cannot be measured.
uint32_t measure_cpu_speed();

class cpu_info_t : public hardware_part_t {
public:
    // Probes the processor: vendor and name from CPUID (the brand text where the
    // processor has one), the speed when it has a time-stamp counter, else 0.
    explicit cpu_info_t(const cpuid_source_t &cpuid = system_cpuid());
    cpu_info_t(std::string vendor, std::string name, uint32_t speed_mhz)
        : m_vendor(std::move(vendor)), m_name(std::move(name)), m_speed_mhz(speed_mhz) {}

    const std::string &vendor() const { return m_vendor; }
    const std::string &name() const { return m_name; }
    uint32_t speed_mhz() const { return m_speed_mhz; }
    int32_t rate(const settings_t &levels) const override { return threshold_rating(levels, m_speed_mhz); }

private:
    std::string m_vendor, m_name;
    uint32_t m_speed_mhz = 0;
};

class memory_info_t : public hardware_part_t {
public:
    // The machine's physical memory in bytes, 64 bits wide: machines hold more than
    // 4 GiB, and the database rates sizes beyond it. A system that does not answer
    // gives 0.
    memory_info_t();
    explicit memory_info_t(uint64_t total_bytes) : m_total_bytes(total_bytes) {}

    uint64_t total_bytes() const { return m_total_bytes; }
    // Megabytes rounded down to a multiple of 4, plus 4: the figure rated (at most
    // 4294967295, where the database's numbers end).
    uint32_t rated_megabytes() const {
        const uint64_t mb = m_total_bytes / (uint64_t(4) << 20) * 4 + 4;
        return mb > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(mb);
    }
    int32_t rate(const settings_t &levels) const override { return threshold_rating(levels, rated_megabytes()); }

private:
    uint64_t m_total_bytes = 0;
};

}  // namespace quarn::kickup
