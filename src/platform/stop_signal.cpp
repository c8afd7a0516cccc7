#include "platform/stop_signal.h"

#include <csignal>

namespace quarn::platform {

namespace {

volatile sig_atomic_t pending = 0;
bool installed = false;
struct sigaction previous_int {};
struct sigaction previous_term {};

void on_signal(int) { pending = 1; }

}  // namespace

void stop_signal_install() {
    if (installed) return;
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, &previous_int);
    sigaction(SIGTERM, &sa, &previous_term);
    pending = 0;
    installed = true;
}

void stop_signal_uninstall() {
    if (!installed) return;
    sigaction(SIGINT, &previous_int, nullptr);
    sigaction(SIGTERM, &previous_term, nullptr);
    pending = 0;
    installed = false;
}

bool stop_signal_take() {
    if (!pending) return false;
    pending = 0;
    return true;
}

}  // namespace quarn::platform
