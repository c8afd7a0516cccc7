#include "qrncore/system/cpu.h"

#include <cstring>

#include "platform/clock.h"
#include "platform/cpu.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/system/messages.h"
#include "qrncore/system/timers.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace quarn {

namespace {

uint32_t features = CPU_FPU;
unsigned speed_mhz = 1;
bool has_tsc = false;
char vendor[13] = "";
char model_name[49] = "unknown";

// ---- the generic set ----
uint32_t generic_identify() {
    speed_mhz = cpu_measure_speed(0);
    return CPU_FPU;
}
const char *generic_name() { return "generic CPU"; }
const char *generic_vendor() { return "generic vendor"; }
bool generic_monitor() { return false; }

// ---- the x86 set ----
const char *x86_name() { return model_name; }
const char *x86_vendor() { return vendor; }
bool x86_monitor() { return has_tsc; }

uint32_t x86_identify() {
    if (!platform::cpu_has_cpuid()) {
        warning("unable to identify cpu");
        return 0;
    }
    platform::cpuid_regs_t r{};
    platform::cpu_cpuid(0, &r);
    memcpy(vendor + 0, &r.ebx, 4);
    memcpy(vendor + 4, &r.edx, 4);
    memcpy(vendor + 8, &r.ecx, 4);
    vendor[12] = 0;
    uint32_t set = CPU_IDENTIFIED;
    if (r.eax == 0) {
        warning("cpu features not detected");
        return set;
    }
    platform::cpu_cpuid(1, &r);
    const uint32_t edx = r.edx;
    // On x86-64 MMX, SSE and SSE2 always run, so no trial instruction is needed.
    if (edx & (1u << 0)) set |= CPU_FPU;
    if (edx & (1u << 23)) set |= CPU_MMX;
    if (edx & (1u << 15)) set |= CPU_CMOV;
    if (edx & (1u << 25)) set |= CPU_SSE;
    if (edx & (1u << 26)) set |= CPU_SSE2;
    has_tsc = (edx & (1u << 4)) != 0;
#if defined(__x86_64__)
    if (set & CPU_SSE) _mm_setcsr(_mm_getcsr() | 0x8000);  // flush to zero
#endif
    unsigned family = (r.eax >> 8) & 0xF, model = (r.eax >> 4) & 0xF;
    strcpy(model_name, cpu_model_name(vendor, family, model));

    platform::cpu_cpuid(0x80000000u, &r);
    const uint32_t max_ext = r.eax;
    if (max_ext >= 0x80000001u && (set & CPU_MMX)) {
        platform::cpu_cpuid(0x80000001u, &r);
        if (r.edx & (1u << 31)) set |= CPU_3DNOW;
        if (r.edx & (1u << 30)) set |= CPU_3DNOWEXT;
        if (r.edx & (1u << 22)) set |= CPU_MMXEXT;
    }
    if (max_ext >= 0x80000004u) {
        char brand[49];
        for (uint32_t leaf = 0; leaf < 3; ++leaf) {
            platform::cpu_cpuid(0x80000002u + leaf, &r);
            memcpy(brand + leaf * 16 + 0, &r.eax, 4);
            memcpy(brand + leaf * 16 + 4, &r.ebx, 4);
            memcpy(brand + leaf * 16 + 8, &r.ecx, 4);
            memcpy(brand + leaf * 16 + 12, &r.edx, 4);
        }
        brand[48] = 0;
        const char *b = brand;
        while (*b == ' ') ++b;
        if (*b) strcpy(model_name, b);
    }
    if (has_tsc) {
        speed_mhz = cpu_measure_speed(0);
    } else {
        error("[cpu] The CPU has no RDTSC support.");
        speed_mhz = 1;
    }
    return set;
}

void install_generic_set() {
    fptr_identify_cpu = generic_identify;
    fptr_get_cpu_name = generic_name;
    fptr_get_cpu_vendor = generic_vendor;
    fptr_cpu_start_speed_monitor = generic_monitor;
    fptr_cpu_stop_speed_monitor = generic_monitor;
    fptr_cpu_speed_monitor = generic_monitor;
}

void install_x86_set() {
#if defined(__x86_64__) || defined(__i386__)
    fptr_identify_cpu = x86_identify;
    fptr_get_cpu_name = x86_name;
    fptr_get_cpu_vendor = x86_vendor;
    fptr_cpu_start_speed_monitor = x86_monitor;
    fptr_cpu_stop_speed_monitor = x86_monitor;
    fptr_cpu_speed_monitor = x86_monitor;
#endif
}

struct model_entry_t {
    const char *vendor;
    unsigned family;
    int model;  // -1: any
    const char *name;
};

const model_entry_t model_table[] = {
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

extern "C" {
uint32_t (*fptr_identify_cpu)() = generic_identify;
const char *(*fptr_get_cpu_name)() = generic_name;
const char *(*fptr_get_cpu_vendor)() = generic_vendor;
bool (*fptr_cpu_start_speed_monitor)() = generic_monitor;
bool (*fptr_cpu_stop_speed_monitor)() = generic_monitor;
bool (*fptr_cpu_speed_monitor)() = generic_monitor;
void *(*fptr_mm_memcpy)(void *, const void *, size_t) = cpu_memcpy_plain;
}

const char *cpu_model_name(const char *vendor_text, unsigned family, unsigned model) {
    for (const auto &e : model_table) {
        if (strcmp(e.vendor, vendor_text) == 0 && e.family == family && (e.model < 0 || unsigned(e.model) == model))
            return e.name;
    }
    return "unknown";
}

unsigned cpu_measure_speed(unsigned samples) {
    if (samples == 0 || samples > 7) samples = 7;
    uint32_t values[7];
    // Start on a tick of the millisecond clock.
    const uint64_t first = tmr_read();
    while (tmr_read() == first) {
    }
    uint32_t largest = 0;
    for (unsigned i = 0; i < samples; ++i) {
        const uint64_t t0 = tmr_read(), c0 = tmr_get_cycles();
        uint64_t t1 = t0;
        while (t1 - t0 < 20000) t1 = tmr_read();
        const uint64_t c1 = tmr_get_cycles();
        const uint64_t per_msec = (c1 - c0) * 1000u / (t1 - t0);
        values[i] = per_msec > 0xFFFFFFFFu ? 1337u : uint32_t(per_msec);
        if (values[i] > largest) largest = values[i];
    }
    uint64_t sum = 0;
    unsigned count = 0;
    for (unsigned i = 0; i < samples; ++i) {
        if (double(values[i]) > 0.8 * largest) {
            sum += values[i];
            ++count;
        }
    }
    const uint64_t mhz = count ? sum / count / 1000u : 0;
    // A speed of 0 would make every cycle-to-time conversion divide by zero.
    return mhz < 1 ? 1u : unsigned(mhz > 0xFFFFFFFFu ? 0xFFFFFFFFu : mhz);
}

uint32_t cpu_startup(bool identify) {
    vendor[0] = 0;
    strcpy(model_name, "unknown");
    has_tsc = false;
    install_generic_set();
    fptr_mm_memcpy = cpu_memcpy_plain;
    install_x86_set();
    if (identify) {
        features = fptr_identify_cpu();
    } else {
        features = CPU_FPU;
        // Without identification the speed is measured all the same: timers need it.
        speed_mhz = cpu_measure_speed(0);
    }
    matrix_install_routines(features);
    // Processors without SSE use the plain copy.
    if (features & CPU_SSE) fptr_mm_memcpy = cpu_memcpy_sse;
    return features;
}

uint32_t cpu_get_features() { return features; }

unsigned cpu_get_cpu_speed() { return speed_mhz ? speed_mhz : 1; }

void cpu_display_info() {
    message("[cpu] %s [%s] at ~%uMHz.", fptr_get_cpu_vendor(), fptr_get_cpu_name(), cpu_get_cpu_speed());
    static const struct {
        uint32_t bit;
        const char *name;
    } names[] = {{CPU_FPU, " fpu"},     {CPU_CMOV, " cmov"},   {CPU_MMX, " mmx"},
                 {CPU_MMXEXT, " mmxext"}, {CPU_CXMMX, " cxmmx"}, {CPU_3DNOW, " 3dnow"},
                 {CPU_3DNOWEXT, " 3dnowext"}, {CPU_SSE, " sse"}, {CPU_SSE2, " sse2"}};
    char list[128] = "";
    for (const auto &n : names)
        if (features & n.bit) strcat(list, n.name);
    message("[cpu] Features utilized:%s.", list[0] ? list : " none");
}

void *cpu_memcpy_plain(void *dst, const void *src, size_t len) {
    memmove(dst, src, len);
    return static_cast<char *>(dst) + len;
}

// mempcpy returns the end of the destination, as the copy routines do, so the
// common case is a plain jump into the C library.
void *cpu_memcpy_sse(void *dst, const void *src, size_t len) {
    if (len < CPU_STREAM_COPY_MIN) return mempcpy(dst, src, len);
    return cpu_memcpy_stream(dst, src, len);
}

void *cpu_memcpy_stream(void *dst, const void *src, size_t len) {
#if defined(__x86_64__)
    auto *d = static_cast<unsigned char *>(dst);
    auto *s = static_cast<const unsigned char *>(src);
    if (len < 64) return static_cast<char *>(memcpy(d, s, len)) + len;
    // Align the destination for the streaming stores.
    const size_t head = (16 - (reinterpret_cast<uintptr_t>(d) & 15)) & 15;
    memcpy(d, s, head);
    d += head;
    s += head;
    len -= head;
    for (; len >= 64; len -= 64, d += 64, s += 64) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 32));
        __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 48));
        _mm_stream_si128(reinterpret_cast<__m128i *>(d), a);
        _mm_stream_si128(reinterpret_cast<__m128i *>(d + 16), b);
        _mm_stream_si128(reinterpret_cast<__m128i *>(d + 32), c);
        _mm_stream_si128(reinterpret_cast<__m128i *>(d + 48), e);
    }
    _mm_sfence();
    memcpy(d, s, len);
    return d + len;
#else
    return static_cast<char *>(memcpy(dst, src, len)) + len;
#endif
}

}  // namespace quarn
