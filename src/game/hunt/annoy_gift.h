#pragma once
// annoy_gift_u ("annoy_gift"): for 5 s an animal's head rises into the bottom of the
// view, calls (a yawn) at 0.3 of the way and sinks again. The animal comes from the
// next row of a fixed table of four (grizzly, moose, whitetail male, whitetail female),
// the process going round it gift by gift; the first gift after start shows the
// moose. The head is the row's animal description (animal_model_desc_u) made into a
// model of its own, with one of its antler sets when it has them (drawn on its antler
// bones), lit by the scene's light packet 5 and seen through the scene's first-person
// camera (camera 2: near 0.01, at the origin), so it stays in front of the eyes
// whatever the player does.
//
// A row whose description is missing, or whose model cannot be made, shows nothing
// (logged): the gift then has no time left and the hunt removes it at its next update; the
// table does not move on.
#include <cstdint>

#include "game/hunt/bonus_kit.h"
#include "game/hunt/hunt_bonus.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class animal_antler_u;
class animal_model_desc_u;
class model_object_u;
class zba_inst_t;

class annoy_gift_u : public party_gift_u {
    QRN_UNIT_CLASS(annoy_gift_u, party_gift_u);

public:
    static constexpr float DURATION = 5.0f;
    static constexpr float CALL_PROGRESS = 0.3f;
    static constexpr float SOUND_VOLUME = 0.9f;
    static constexpr const char *CALL_BEHAVIOR = "call";
    static constexpr const char *YAWN_SOUND = "/sound/game/yawn.ogg";
    static constexpr uint32_t ROW_COUNT = 4;

    // One animal: its description's unit name, where the head stands in the camera's
    // space when it is down (start) and up (end), how it is turned (degrees: yaw about
    // the vertical, then pitch about x) and scaled.
    struct row_t {
        const char *description;
        vec3_t start;
        vec3_t end;
        float yaw;
        float pitch;
        float scale;
    };
    static const row_t ROWS[ROW_COUNT];

    // The row the last shown gift used (process-wide, 0 at start); tests set it.
    static uint32_t get_last_row();
    static void set_last_row(uint32_t row);

    // The strength of the head's rise at progress p (0..1): (5p)² up to 0.2, 1, then
    // 5 (1 − p) after 0.8.
    static float rise_for(float progress);

    // The next row's animal made and shown (see above).
    void apply() override;
    // While time is left: the head's animation by dt, the rise, and at progress 0.3
    // the "call" behaviour (when the animal has one) and the yawn.
    void update(float dt) override;
    void remove() override { m_timer.remaining = 0.0f; }
    void adjust_scene() override {}
    bool is_finished() const override { return !m_timer.is_running(); }
    bool has_overlay_pass() const override { return m_timer.is_running(); }
    // The head (and its antlers) in the view: at start + (end − start) × strength in
    // the camera's space, turned by the row's yaw and pitch, scaled by its scale.
    void draw_overlay() override;

    const effect_timer_t &get_timer() const { return m_timer; }
    float get_strength() const { return m_strength; }
    // The row shown (-1 before a successful apply).
    int32_t get_row() const { return m_row; }
    animal_model_desc_u *get_desc() const;
    model_object_u *get_model() const;
    // The head's animation instance (null before a successful apply).
    zba_inst_t *get_zba() const;
    uint32_t get_antler_count() const;
    animal_antler_u *get_antler(uint32_t side) const;
    const r_parameter_array_t &get_packets() const { return m_packets; }

protected:
    void on_destroy();

private:
    bool build(animal_model_desc_u *desc);

    effect_timer_t m_timer{DURATION};
    float m_strength = 0.0f;
    int32_t m_row = -1;
    ref_ptr_t<animal_model_desc_u> m_desc;
    c_item_ptr_t m_zba;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<unit_base_t> m_antlers[2];  // animal_antler_u
    int32_t m_antler_bones[2] = {-1, -1};
};

}  // namespace quarn
