#pragma once
// The seven UI effect classes (docs/ui-effects.md). Unit files name them without the
// "_u": uifx_composite, uifx_nop, uifx_scroll, uifx_scale, uifx_smoke,
// uifx_button_focus, uifx_score. Their instances live in "/script/hookup/uifx/*.sui",
// pulled in by "/script/hookup/0_uifx.unit".
//
// The run-time state below is not saved; a clone starts from the attributes alone
// (a composite also rebuilds the clones of its entries).
#include <cstdint>

#include "game/ui/effects/zml_effect.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

// A sequence of effects; an entry that is not blocking runs on beside the sequence.
class uifx_composite_u : public zml_effect_u {
    QRN_UNIT_CLASS(uifx_composite_u, zml_effect_u);

public:
    void start(const zml_buffer_t &buffer) override;
    bool is_finished() override;
    void update(float dt, const zml_buffer_t &buffer) override;
    void draw(r_queue_t *queue) override;

    // Refuses an empty `fx`, a null entry, counts of `fx` and `blocking` that differ,
    // and entries that reach a composite again through `fx` (its clone would never
    // end); then builds the clones.
    bool _call_post_load() override;

    // The clones of the entries, one per `fx` entry in order (for tests and tools).
    uint32_t get_clone_count() const { return m_clones.get_count(); }
    zml_effect_u *get_clone(uint32_t i) const { return m_clones[i].get(); }
    uint32_t get_current() const { return m_current; }
    uint32_t get_running_count() const { return m_running.get_count(); }

    // References to effect units.
    array_dyn_t<ref_ptr_t<unit_base_t>> fx;
    array_dyn_t<bool> blocking;
    bool loop = false;

protected:
    bool _clone_finish(unit_base_t *target);
    void on_destroy();

private:
    // The checks of the post-load (false logged).
    bool check() const;
    bool rebuild_clones();
    void start_current(const zml_buffer_t &buffer);

    array_dyn_t<owner_ptr_t<zml_effect_u>> m_clones;
    array_dyn_t<ref_ptr_t<zml_effect_u>> m_running;
    uint32_t m_current = 0;
};

// A pause that shows the text unchanged.
class uifx_nop_u : public zml_effect_u {
    QRN_UNIT_CLASS(uifx_nop_u, zml_effect_u);

public:
    void start(const zml_buffer_t &buffer) override;
    bool is_finished() override;
    void update(float dt, const zml_buffer_t &buffer) override;
    void draw(r_queue_t *queue) override;
    bool _call_post_load() override;

    float delay = 1.0f;

private:
    float m_remaining = 0.0f;
    zml_buffer_t m_copy;
};

// The phase machine scroll and score share: phases 0, 1 and 2 of fixed durations,
// then 3 (finished); the source and working copies are taken at start only.
class uifx_phased_t {
public:
    int32_t get_phase() const { return m_phase; }
    float get_progress() const { return m_progress; }
    // Sets a phase and progress and lays the text out for them (tests).
    void set_state(int32_t phase, float progress);
    const zml_buffer_t &get_work() const { return m_work; }

protected:
    virtual ~uifx_phased_t() = default;
    // Seconds of phases 0 to 2.
    virtual float duration(int32_t phase) const = 0;
    // Lays the working copy out for the phase and progress.
    virtual void lay_out() = 0;

    void phased_start(const zml_buffer_t &buffer);
    void phased_update(float dt);
    // The colour with its alpha faded in (phase 0) or out (phase 2); the working copy
    // flushed at (0, 0). Nothing once finished.
    void phased_draw(r_queue_t *queue, const vec4_t &colour);

    int32_t m_phase = 0;
    float m_progress = 0.0f;
    zml_buffer_t m_source;
    zml_buffer_t m_work;
};

// Text that rolls in from the left (1 s), stays (2 s) and rolls out to the right (1 s).
class uifx_scroll_u : public zml_effect_u, public uifx_phased_t {
    QRN_UNIT_CLASS(uifx_scroll_u, zml_effect_u);

public:
    void start(const zml_buffer_t &buffer) override { phased_start(buffer); }
    bool is_finished() override { return m_phase >= 3; }
    void update(float dt, const zml_buffer_t &) override { phased_update(dt); }
    void draw(r_queue_t *queue) override { phased_draw(queue, color); }
    bool _call_post_load() override;

    vec4_t color{1.0f, 1.0f, 1.0f, 1.0f};

protected:
    float duration(int32_t phase) const override;
    void lay_out() override;
};

// Points that zoom in (0.3 s) about the corner of their last item, wait (1.5 s) and
// fly (0.5 s) so that the corner of their first item reaches `target`.
class uifx_score_u : public zml_effect_u, public uifx_phased_t {
    QRN_UNIT_CLASS(uifx_score_u, zml_effect_u);

public:
    void start(const zml_buffer_t &buffer) override { phased_start(buffer); }
    bool is_finished() override { return m_phase >= 3; }
    void update(float dt, const zml_buffer_t &) override { phased_update(dt); }
    void draw(r_queue_t *queue) override { phased_draw(queue, color); }
    bool _call_post_load() override;

    vec4_t color{1.0f, 1.0f, 1.0f, 1.0f};
    vec2_t target{1024.0f, 768.0f};
    float start_scale = 5.0f;

protected:
    float duration(int32_t phase) const override;
    void lay_out() override;
};

// Keyframes of colour and size: segment i runs from keyframe i to i + 1 in time[i]
// seconds; the text is scaled about the middle of its bounds.
class uifx_scale_u : public zml_effect_u {
    QRN_UNIT_CLASS(uifx_scale_u, zml_effect_u);

public:
    void start(const zml_buffer_t &buffer) override;
    bool is_finished() override;
    void update(float dt, const zml_buffer_t &buffer) override;
    void draw(r_queue_t *queue) override;
    // Refuses arrays of different counts, fewer than two keyframes, a time <= 0 and
    // values that are not finite.
    bool _call_post_load() override;

    uint32_t get_segment() const { return m_segment; }
    float get_elapsed() const { return m_elapsed; }
    const zml_buffer_t &get_work() const { return m_work; }

    array_dyn_t<vec4_t> color;
    array_dyn_t<float> scale;
    array_dyn_t<float> time;
    bool loop = false;

private:
    float fraction() const;

    float m_elapsed = 0.0f;
    uint32_t m_segment = 0;
    float m_centre_x = 512.0f;
    float m_centre_y = 384.0f;
    zml_buffer_t m_source;
    zml_buffer_t m_work;
};

// Copies of the text that rise and sway; it never finishes by itself.
class uifx_smoke_u : public zml_effect_u {
    QRN_UNIT_CLASS(uifx_smoke_u, zml_effect_u);

public:
    struct particle_t {
        float age = 0.0f;  // 0..1 of its life
        float phase = 0.0f;
        float x_base = 0.0f;
        float x = 0.0f;
        float y = 0.0f;
        uint32_t colour = ZML_WHITE;
        zml_buffer_t buffer;
    };

    void start(const zml_buffer_t &buffer) override;
    bool is_finished() override { return false; }
    void update(float dt, const zml_buffer_t &buffer) override;
    void draw(r_queue_t *queue) override;
    // Refuses a `live_time` <= 0 (particles would never die) and values that are not
    // finite.
    bool _call_post_load() override;

    uint32_t get_particle_count() const { return m_particles.get_count(); }
    const particle_t &get_particle(uint32_t i) const { return m_particles[i]; }

    array_dyn_t<vec4_t> colors;
    float spawn_delay = 1.0f;
    float live_time = 1.0f;
    vec3_t displacement{0.0f, 0.0f, 1.0f};
    float y_speed = 100.0f;
    float x_wave_count = 1.0f;
    float x_wave_min = 0.0f;
    float x_wave_max = 100.0f;

private:
    uint32_t colour_at(float age) const;

    array_dyn_t<particle_t> m_particles;
    float m_spawn_timer = 0.0f;
};

// A short burst around a focused button: three copies moving apart for 0.5 s.
class uifx_button_focus_u : public zml_effect_u {
    QRN_UNIT_CLASS(uifx_button_focus_u, zml_effect_u);

public:
    void start(const zml_buffer_t &buffer) override;
    bool is_finished() override { return m_progress == 1.0f; }
    void update(float dt, const zml_buffer_t &buffer) override;
    void draw(r_queue_t *queue) override;
    bool _call_post_load() override;

    float get_progress() const { return m_progress; }

    float extent = 10.0f;

private:
    float m_progress = 0.0f;
    zml_buffer_t m_first;
    zml_buffer_t m_second;
};

}  // namespace quarn
