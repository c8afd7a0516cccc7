#pragma once
// updatable_t: what the scene updates and draws every frame. Objects enter the scene's
// update list with base_ctrl_u::add_list_object and leave it with remove_list_object;
// both take effect at the next update or draw, never while the list is walked. The
// list does not own its entries: whoever queues an object removes it before it goes.
namespace quarn {

class updatable_t {
public:
    virtual ~updatable_t();
    // Once, when the object enters the list (before its first update).
    virtual void on_attached();
    // dt: the frame time in seconds, already scaled by the scene's time factor.
    virtual void update(float dt) = 0;
    virtual void draw();
};

}  // namespace quarn
