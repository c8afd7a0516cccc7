#pragma once
// The ODE library's start and end, counted over its users (servers and scenes). The
// first user starts it: allocation hooks counting into the physics memory counter,
// the library's reports routed to the log, dInitODE2 and the thread's data. The last
// user closes it and puts the library's defaults back. A scene left alive by its
// server so still has the library until it goes.
#include <cstdint>

namespace quarn {

void ode_library_acquire();
void ode_library_release();
// Users now; the library runs while this is above 0.
uint32_t ode_library_users();

}  // namespace quarn
