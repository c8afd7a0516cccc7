#include "platform/crash.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/uio.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace quarn::platform {

namespace {

constexpr int crash_signals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int crash_signal_count = sizeof(crash_signals) / sizeof(crash_signals[0]);

char crash_path[CRASH_PATH_MAX + 1] = "quarn3d.crash";
struct sigaction previous_actions[crash_signal_count];
bool installed = false;
// Set once a report is being written: a signal raised while writing, or by ending the
// process afterwards, must not write a second report.
volatile sig_atomic_t reporting = 0;

alignas(16) char alt_stack[64 * 1024];

// A fixed buffer with the few formatting forms a report needs; no allocation, no locale.
class report_writer_t {
public:
    explicit report_writer_t(int fd) : m_fd(fd) {}
    ~report_writer_t() { flush(); }

    void str(const char *s) {
        while (s && *s) put(*s++);
    }
    void hex(uint64_t v, int digits) {
        static const char xd[] = "0123456789ABCDEF";
        for (int i = digits - 1; i >= 0; --i) put(xd[(v >> (i * 4)) & 0xF]);
    }
    void dec(uint64_t v, int min_digits = 1) {
        char tmp[24];
        int n = 0;
        do {
            tmp[n++] = char('0' + v % 10);
            v /= 10;
        } while (v);
        while (n < min_digits) tmp[n++] = '0';
        while (n) put(tmp[--n]);
    }
    void flush() {
        size_t off = 0;
        while (off < m_len) {
            ssize_t w = write(m_fd, m_buf + off, m_len - off);
            if (w <= 0) break;
            off += size_t(w);
        }
        m_len = 0;
    }

private:
    void put(char c) {
        if (m_len == sizeof(m_buf)) flush();
        m_buf[m_len++] = c;
    }
    int m_fd;
    size_t m_len = 0;
    char m_buf[1024];
};

const char *signal_name(int sig) {
    switch (sig) {
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGILL: return "SIGILL";
        case SIGFPE: return "SIGFPE";
        case SIGABRT: return "SIGABRT";
        default: return "signal";
    }
}

const char *signal_code_text(int sig, int code) {
    if (code == SI_USER || code == SI_TKILL) return "sent by a process";
    switch (sig) {
        case SIGSEGV:
            if (code == SEGV_MAPERR) return "address not mapped";
            if (code == SEGV_ACCERR) return "invalid permissions";
            break;
        case SIGBUS:
            if (code == BUS_ADRALN) return "invalid alignment";
            if (code == BUS_ADRERR) return "nonexistent address";
            break;
        case SIGFPE:
            if (code == FPE_INTDIV) return "integer divide by zero";
            if (code == FPE_INTOVF) return "integer overflow";
            if (code == FPE_FLTDIV) return "float divide by zero";
            if (code == FPE_FLTINV) return "invalid float operation";
            break;
        case SIGILL:
            if (code == ILL_ILLOPC) return "illegal opcode";
            if (code == ILL_PRVOPC) return "privileged opcode";
            break;
        default: break;
    }
    return "unknown cause";
}

// "Www Mmm dd hh:mm:ss yyyy UTC": the time as ctime writes it, computed by hand
// because the time-zone functions take locks.
void write_time(report_writer_t &w) {
    static const char *days[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    int64_t t = ts.tv_sec;
    int64_t day = t / 86400, sec = t % 86400;
    if (sec < 0) sec += 86400, --day;
    const char *wday = days[((day % 7) + 7) % 7];
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    int64_t z = day + 719468, era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400, doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
    w.str(wday);
    w.str(" ");
    w.str(months[m - 1]);
    w.str(" ");
    if (d < 10) w.str(" ");
    w.dec(uint64_t(d));
    w.str(" ");
    w.dec(uint64_t(sec / 3600), 2);
    w.str(":");
    w.dec(uint64_t(sec / 60 % 60), 2);
    w.str(":");
    w.dec(uint64_t(sec % 60), 2);
    w.str(" ");
    w.dec(uint64_t(y));
    w.str(" UTC\n");
}

// The module holding an address and the offset in it, as "module+offset" or
// "symbol+offset (module)"; "?" when no module holds it.
void write_location(report_writer_t &w, uintptr_t addr) {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void *>(addr), &info) || !info.dli_fname) {
        w.str("?");
        return;
    }
    if (info.dli_sname && info.dli_saddr) {
        w.str(info.dli_sname);
        w.str("+");
        w.hex(addr - uintptr_t(info.dli_saddr), 4);
        w.str(" (");
        w.str(info.dli_fname);
        w.str(")");
    } else {
        w.str(info.dli_fname);
        w.str("+");
        w.hex(addr - uintptr_t(info.dli_fbase), 8);
    }
}

// Reads memory that may not be mapped; false where it cannot be read.
bool read_memory(uintptr_t addr, void *out, size_t len) {
    iovec local{out, len};
    iovec remote{reinterpret_cast<void *>(addr), len};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == ssize_t(len);
}

void write_code_bytes(report_writer_t &w, uintptr_t ip) {
    uintptr_t start = ip - 64;
    for (int line = 0; line < 8; ++line) {
        w.str(line == 0 ? "RIP preamble:" : line == 4 ? "RIP bytecode:" : "             ");
        for (int i = 0; i < 16; ++i) {
            unsigned char b;
            if (read_memory(start + uintptr_t(line * 16 + i), &b, 1)) {
                w.str(" ");
                w.hex(b, 2);
            } else {
                w.str(" --");
            }
        }
        w.str("\n");
    }
}

#if defined(__x86_64__)
void write_registers(report_writer_t &w, const ucontext_t *uc) {
    const greg_t *g = uc->uc_mcontext.gregs;
    struct {
        const char *name;
        int index;
    } regs[] = {{"RAX", REG_RAX}, {"RBX", REG_RBX}, {"RCX", REG_RCX}, {"RDX", REG_RDX},
                {"RSI", REG_RSI}, {"RDI", REG_RDI}, {"RBP", REG_RBP}, {"RSP", REG_RSP},
                {"R8 ", REG_R8},  {"R9 ", REG_R9},  {"R10", REG_R10}, {"R11", REG_R11},
                {"R12", REG_R12}, {"R13", REG_R13}, {"R14", REG_R14}, {"R15", REG_R15},
                {"RIP", REG_RIP}};
    w.str("\nRegisters:\n");
    for (const auto &r : regs) {
        w.str(r.name);
        w.str(":");
        w.hex(uint64_t(g[r.index]), 16);
        w.str("\n");
    }
    const uint64_t csgsfs = uint64_t(g[REG_CSGSFS]);
    w.str("CS:");
    w.hex(csgsfs & 0xFFFF, 4);
    w.str("  GS:");
    w.hex((csgsfs >> 16) & 0xFFFF, 4);
    w.str("  FS:");
    w.hex((csgsfs >> 32) & 0xFFFF, 4);
    w.str("\nFlags: ");
    w.hex(uint64_t(g[REG_EFL]), 8);
    w.str("\n");
}
uintptr_t instruction_pointer(const ucontext_t *uc) { return uintptr_t(uc->uc_mcontext.gregs[REG_RIP]); }
#else
void write_registers(report_writer_t &, const ucontext_t *) {}
uintptr_t instruction_pointer(const ucontext_t *) { return 0; }
#endif

void write_call_stack(report_writer_t &w) {
    void *frames[64];
    int n = backtrace(frames, 64);
    w.str("\nCall stack:\n");
    w.str("Address           Location\n");
    for (int i = 0; i < n; ++i) {
        w.hex(uintptr_t(frames[i]), 16);
        w.str("  ");
        write_location(w, uintptr_t(frames[i]));
        w.str("\n");
    }
    w.str("\n");
}

void write_report(const siginfo_t *info, const ucontext_t *uc, const char *reason) {
    int fd = open(crash_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    {
        report_writer_t w(fd);
        w.str("\n-----------------------------------------\n");
        w.str("Crash log created on: ");
        write_time(w);
        if (reason) {
            w.str("Abort: ");
            w.str(reason);
            w.str("\n");
        }
        if (info) {
            w.str("Signal: ");
            w.dec(uint64_t(info->si_signo));
            w.str(" ");
            w.str(signal_name(info->si_signo));
            w.str(" (");
            w.str(signal_code_text(info->si_signo, info->si_code));
            w.str(")\n");
        }
        if (uc) {
            uintptr_t ip = instruction_pointer(uc);
            w.str("Fault address:  ");
            w.hex(ip, 16);
            w.str(" ");
            write_location(w, ip);
            w.str("\n");
            if (info && (info->si_signo == SIGSEGV || info->si_signo == SIGBUS)) {
                w.str("Access address: ");
                w.hex(uintptr_t(info->si_addr), 16);
                w.str("\n");
            }
            write_registers(w, uc);
            write_code_bytes(w, ip);
        }
        write_call_stack(w);
    }
    close(fd);
}

int signal_slot(int sig) {
    for (int i = 0; i < crash_signal_count; ++i)
        if (crash_signals[i] == sig) return i;
    return -1;
}

void crash_handler(int sig, siginfo_t *info, void *context) {
    const int saved_errno = errno;
    if (!reporting) {
        reporting = 1;
        write_report(info, static_cast<const ucontext_t *>(context), nullptr);
    }
    // Hand the signal on: the previous handler (or the default action) ends the process.
    int slot = signal_slot(sig);
    if (slot >= 0) sigaction(sig, &previous_actions[slot], nullptr);
    errno = saved_errno;
    // A fault re-executes and raises again by itself; a signal that was sent must be
    // raised again.
    if (info->si_code <= 0) raise(sig);
}

}  // namespace

bool crash_install() {
    if (installed) return true;
    // backtrace loads its unwinder on first use, which allocates: do it now, not in
    // the handler.
    void *warm[2];
    backtrace(warm, 2);

    stack_t ss{};
    ss.ss_sp = alt_stack;
    ss.ss_size = sizeof(alt_stack);
    if (sigaltstack(&ss, nullptr) != 0) return false;

    struct sigaction sa {};
    sa.sa_sigaction = crash_handler;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int i = 0; i < crash_signal_count; ++i) sigaction(crash_signals[i], &sa, &previous_actions[i]);
    installed = true;
    return true;
}

void crash_uninstall() {
    if (!installed) return;
    for (int i = 0; i < crash_signal_count; ++i) sigaction(crash_signals[i], &previous_actions[i], nullptr);
    installed = false;
}

bool crash_set_path(const char *path) {
    if (!path || !*path) return false;
    size_t len = strlen(path);
    if (len > CRASH_PATH_MAX) return false;
    memcpy(crash_path, path, len + 1);
    return true;
}

const char *crash_get_path() { return crash_path; }

void crash_abort(const char *reason) {
    if (!reporting) {
        reporting = 1;
        write_report(nullptr, nullptr, reason ? reason : "fatal error");
    }
    signal(SIGABRT, SIG_DFL);
    abort();
}

}  // namespace quarn::platform
