#include "kernel/sys.h"

#include <cstdio>

#include "kernel/console/cvars.h"
#include "kernel/process_table.h"
#include "platform/clock.h"
#include "platform/os_info.h"
#include "qrncore/system/messages.h"
#include "qrncore/system/timers.h"

using quarn::vprocess_t;

namespace quarn {

namespace {

constexpr uint32_t RANDOM_SEED_START = 189472384u;
constexpr double MAX_STEP = 0.1;

vtimer_t real_timer_store;
vtimer_t game_timer_store;
vtimer_t *real_timer = nullptr;
vtimer_t *game_timer = nullptr;

uint32_t random_seed = RANDOM_SEED_START;

int system_id = SYS_UNKNOWN;
int version_major = 666;
int version_minor = 666;
// Its default text is the system description, filled by sys_probe_os.
cvar_t sys_info("sys_info", "<unknown>", cvar_t::DEFAULT_IN_USE);

sys_sleep_t idle_sleep = platform::clock_sleep_msec;
bool run_failed = false;

const char *const system_names[] = {
    "Unknown",       "Linux",           "Windows 95",
    "Windows 98",    "Windows Me",      "Windows NT",
    "Windows 2000",  "Windows XP",      "Windows XP x64 Edition",
    "Windows Server 2003", "Windows Vista", "Windows Longhorn",
};

// Asleep unless the game is paused; then it gives the processor away each pass.
class idle_process_t : public vprocess_t {
public:
    idle_process_t() : vprocess_t(0) { set_name("init"); }
    ~idle_process_t() override;
    void handler() override { idle_sleep(100); }
};

idle_process_t *idle_process = nullptr;

idle_process_t::~idle_process_t() {
    if (idle_process == this) idle_process = nullptr;
}

}  // namespace

const char *sys_system_name(int id) {
    if (id >= 0 && id < int(sizeof system_names / sizeof system_names[0])) return system_names[id];
    if (id >= 12 && id <= 20) return "Console";
    if (id == 21) return "Mac";
    if (id == 22) return "OS2";
    return system_names[0];
}

void sys_probe_os() {
    system_id = SYS_UNKNOWN;
    version_major = version_minor = 666;
    platform::os_info_t info;
    if (!platform::os_describe(&info)) {
        error("[sys] Can't get system version.");
        return;
    }
    version_major = info.major;
    version_minor = info.minor;
    if (string(info.name) == "Linux") system_id = SYS_LINUX;
    // The release text stands where Windows gave its service pack.
    char text[sizeof sys_info.default_text + sizeof info.release + 64];
    snprintf(text, sizeof text, "%s (version %d.%d) / %s", sys_system_name(system_id), version_major, version_minor,
             info.release);
    snprintf(sys_info.default_text, sizeof sys_info.default_text, "%.63s", text);
    message("[sys] running on x86 / %s", sys_info.default_text);
    // There is no DirectX version to report here.
}

void sys_init() {
    run_failed = false;
    real_timer_store = vtimer_t{};
    game_timer_store = vtimer_t{};
    real_timer = &real_timer_store;
    game_timer = &game_timer_store;
    real_timer->previous = real_timer->current = tmr_read();
    if (!sys_info.hash) _cvar_register_variable(&sys_info, false);
    if (!idle_process) {
        idle_process = new idle_process_t;
        if (!idle_process) {
            error("[sys] out of memory for the idle process");
            return;
        }
        process_add(idle_process, 0);
        process_sleep(idle_process);
    }
}

void sys_shutdown() {
    real_timer = nullptr;
    game_timer = nullptr;
    // A kernel started again in the same process registers it anew.
    if (sys_info.hash) cvar_unregister_variable(&sys_info);
}

void sys_set_idle_sleep(sys_sleep_t sleep) { idle_sleep = sleep ? sleep : platform::clock_sleep_msec; }

void sys_reset_random() { random_seed = RANDOM_SEED_START; }

bool sys_run_failed() { return run_failed; }

}  // namespace quarn

using namespace quarn;

void sys_frame() {
    if (!real_timer || !game_timer) {
        error("[sys] sys not initialised!");
        return;
    }
    real_timer->set_usec(tmr_read());
    double step = real_timer->step;
    if (step < 0.0) step = 0.0;
    if (step > MAX_STEP) step = MAX_STEP;
    game_timer->step = step;
    game_timer->time += step;
}

double sys_get_time() { return game_timer ? game_timer->time : 0.0; }

double sys_get_lastdelta() { return game_timer ? game_timer->step : 0.0; }

uint64_t sys_get_random_seed() { return tmr_read(); }

float sys_rand() {
    const uint32_t cycles = uint32_t(tmr_get_cycles());
    random_seed = ((cycles * 27u) ^ random_seed) + 29573u;
    random_seed %= 65535u;
    return float(random_seed) * (1.0f / 65535.0f);
}

vprocess_t *sys_pause(bool pause) {
    if (!idle_process) return nullptr;
    return pause ? process_wakeup(idle_process) : process_sleep(idle_process);
}

void sys_version(int *system, int *major, int *minor) {
    if (system) *system = system_id;
    if (major) *major = version_major;
    if (minor) *minor = version_minor;
}

const char *sys_get_system_string() { return sys_info.get_text(); }

void sys_fail_run() {
    run_failed = true;
    process_terminate_all();
}
