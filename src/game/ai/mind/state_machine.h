#pragma once
// A small state machine of an owner's member operations. A state names up to three
// operations of its owner: enter, leave and update(seconds); a missing one does
// nothing. The machine is itself a state without operations and starts in itself.
// A new state is only asked for (set_next) and taken at the next update, which first
// leaves the current state, then enters the new one, then updates it; so a state
// asked for is not yet the current one (is_in).
namespace quarn {

template <class OWNER>
class owner_state_t {
public:
    using step_fn_t = void (OWNER::*)();
    using update_fn_t = void (OWNER::*)(float);

    owner_state_t() = default;
    owner_state_t(OWNER *owner, step_fn_t enter, update_fn_t update, step_fn_t leave)
        : m_owner(owner), m_enter(enter), m_update(update), m_leave(leave) {}

    void enter() const {
        if (m_owner && m_enter) (m_owner->*m_enter)();
    }
    void update(float seconds) const {
        if (m_owner && m_update) (m_owner->*m_update)(seconds);
    }
    void leave() const {
        if (m_owner && m_leave) (m_owner->*m_leave)();
    }

private:
    OWNER *m_owner = nullptr;
    step_fn_t m_enter = nullptr;
    update_fn_t m_update = nullptr;
    step_fn_t m_leave = nullptr;
};

template <class OWNER>
class owner_state_machine_t : public owner_state_t<OWNER> {
public:
    using state_t = owner_state_t<OWNER>;

    // The switch happens at the next update.
    void set_next(const state_t *state) { m_next = state ? state : this; }
    // The current state; one only asked for does not count until the next update.
    bool is_in(const state_t *state) const { return m_current == state; }
    const state_t *get_current() const { return m_current; }
    const state_t *get_next() const { return m_next; }

    // Leaves the current state and enters the next when they differ, then updates the
    // current one.
    void update(float seconds) {
        if (m_next != m_current) {
            m_current->leave();
            m_current = m_next;
            m_current->enter();
        }
        m_current->update(seconds);
    }

private:
    const state_t *m_current = this;
    const state_t *m_next = this;
};

}  // namespace quarn
