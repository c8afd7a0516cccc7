#include "game/scene/current_ctrl.h"

#include "game/scene/base_ctrl.h"

namespace quarn {

namespace {

// A plain pointer that the holder counts itself: nothing runs at exit, when the unit
// system may already be gone.
constinit base_ctrl_u *current = nullptr;

}  // namespace

base_ctrl_u *get_current_ctrl() { return current && current->is_alive() ? current : nullptr; }

void set_current_ctrl(owner_ptr_ret_t<base_ctrl_u> ctrl) {
    if (ctrl.get() == current && current) {
        ctrl.take();  // already held: keep it
        return;
    }
    // The old controller's teardown may still reach the scene through the holder.
    if (current) current->release_owned();
    current = ctrl.take();
    if (current) current->take_owned();
}

}  // namespace quarn
