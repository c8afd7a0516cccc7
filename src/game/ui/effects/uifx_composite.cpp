// The composite effect: a sequence of effects, some of them running on beside it.
#include "game/ui/effects/uifx_units.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> fx_domain{{&zml_effect_u::unit_descriptor, 0}};

// True when a composite reachable from c (c itself included) reaches a composite on
// the path again. path holds the composites being walked.
bool reaches_a_cycle(const uifx_composite_u *c, array_dyn_t<const uifx_composite_u *> &path) {
    for (const uifx_composite_u *p : path)
        if (p == c) return true;
    if (!path.append(c)) return true;  // no memory to look further: refuse rather than recurse blindly
    for (const ref_ptr_t<unit_base_t> &e : c->fx) {
        const uifx_composite_u *inner = unit_cast<uifx_composite_u>(e.get());
        if (inner && reaches_a_cycle(inner, path)) return true;
    }
    path.remove(path.get_count() - 1);
    return false;
}

}  // namespace

QRN_UNIT_DEFINE(uifx_composite_u, "uifx_composite", QRN_ATTR(fx, UNIT_ATTR_REF_ARRAY, "fx", &fx_domain),
                QRN_ATTR(blocking, UNIT_ATTR_BOOL_ARRAY, "blocking"), QRN_ATTR(loop, UNIT_ATTR_BOOL, "loop"));

void uifx_composite_u::on_destroy() {
    m_running.clear();
    m_clones.clear();
}

bool uifx_composite_u::check() const {
    if (fx.get_count() == 0) return uifx_refuse(*this, "a composite needs at least one entry in 'fx'");
    if (fx.get_count() != blocking.get_count())
        return uifx_refuse(*this, "'fx' and 'blocking' must have as many entries");
    for (const ref_ptr_t<unit_base_t> &e : fx)
        if (!e || !e->is_alive() || !unit_cast<zml_effect_u>(e.get()))
            return uifx_refuse(*this, "an entry of 'fx' is not an effect");
    array_dyn_t<const uifx_composite_u *> path;
    if (reaches_a_cycle(this, path)) return uifx_refuse(*this, "the entries of 'fx' lead back to a composite");
    return true;
}

bool uifx_composite_u::rebuild_clones() {
    m_running.clear();
    m_clones.clear();
    m_current = 0;
    // A composite that fails the checks builds nothing: its clones could never end.
    if (!check()) return false;
    for (const ref_ptr_t<unit_base_t> &e : fx) {
        owner_ptr_ret_t<zml_effect_u> copy = unit_cast<zml_effect_u>(e->clone());
        if (!copy || !m_clones.append(owner_ptr_t<zml_effect_u>(std::move(copy)))) {
            m_clones.clear();
            return uifx_refuse(*this, "an entry of 'fx' could not be cloned");
        }
    }
    return true;
}

bool uifx_composite_u::_call_post_load() { return zml_effect_u::_call_post_load() && rebuild_clones(); }

bool uifx_composite_u::_clone_finish(unit_base_t *target) {
    uifx_composite_u *copy = unit_cast<uifx_composite_u>(target);
    return copy && copy->rebuild_clones();
}

void uifx_composite_u::start_current(const zml_buffer_t &buffer) {
    if (m_current < m_clones.get_count()) m_clones[m_current]->start(buffer);
}

void uifx_composite_u::start(const zml_buffer_t &buffer) {
    m_running.clear();
    m_current = 0;
    start_current(buffer);
}

bool uifx_composite_u::is_finished() { return m_running.get_count() == 0 && m_current >= m_clones.get_count(); }

void uifx_composite_u::update(float dt, const zml_buffer_t &buffer) {
    for (uint32_t i = 0; i < m_running.get_count();) {
        zml_effect_u *e = m_running[i].get();
        e->update(dt, buffer);
        if (e->is_finished()) m_running.remove(i);
        else ++i;
    }
    if (m_current >= m_clones.get_count()) return;
    zml_effect_u *e = m_clones[m_current].get();
    e->update(dt, buffer);
    if (!blocking[m_current]) {
        // A looping sequence meets its parallel entries again: each runs once.
        bool listed = false;
        for (const ref_ptr_t<zml_effect_u> &r : m_running) listed = listed || r.get() == e;
        if (!listed) m_running.append(ref_ptr_t<zml_effect_u>(e));
    } else if (!e->is_finished()) {
        return;
    }
    ++m_current;
    if (m_current < m_clones.get_count()) {
        start_current(buffer);
    } else if (loop) {
        m_current = 0;
        start_current(buffer);
    }
}

void uifx_composite_u::draw(r_queue_t *queue) {
    if (is_finished()) return;
    if (m_current < m_clones.get_count()) m_clones[m_current]->draw(queue);
    for (const ref_ptr_t<zml_effect_u> &r : m_running) r->draw(queue);
}

}  // namespace quarn
