#pragma once
// The trophy antler units (docs/antlers.md). An antler file ("antlers" of a species'
// gender in "/def/game.def", such as "/model/animal/whitetail/antlers_male.unit")
// holds one antler_factory_u whose simple_beam_parts[] lists the antler models an
// animal may carry, each an antler_part_simple_u with its score band. An antler built
// for an animal is described by an antler_desc_u (antler_piece.h); antler_score_u and
// antler_pair_score_u are the records of trophy scores. Unit files name the classes
// without their "_u".
//
// An antler part loads its model when it is loaded or cloned; it draws it with a
// parameter block of its own: the scene's shared packets (camera, fog, light) when a
// provider is installed, its own model packet in slot 1 and its tint packet (a light
// modulator) in slot 6.
#include <cstdint>

#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class antler_piece_t;

// What gives antler parts the scene's shared parameter packets. The scene installs
// one; without it (tests, tools) a part draws with its own two packets alone.
class antler_packet_provider_t {
public:
    virtual ~antler_packet_provider_t() = default;
    // The packets an antler part starts its block from (it replaces slots 1 and 6
    // with its own); null for none. Asked when a part loads its model.
    virtual const r_parameter_array_t *get_shared_packets() = 0;
};
void antler_set_packet_provider(antler_packet_provider_t *provider);
antler_packet_provider_t *antler_get_packet_provider();
// Fills an animal or antler model's parameter block: the provider's shared packets
// (none without a provider), then the object's own model and tint packets in their
// slots.
void antler_fill_packets(r_parameter_array_t &packets, fw4pp_model_u *model_packet,
                         fw4pp_light_modulator_u *tint_packet);

// One antler model: attributes "model" (a ".zmd" path) and "variant" ("default").
class antler_part_u : public unit_t {
    QRN_UNIT_CLASS(antler_part_u, unit_t);

public:
    // Obtains the model description, makes its model object in look 0 and the
    // variant, and gives it the part's parameter block (made anew from the provider's
    // packets and the part's own two). False, logged "[animal] Failed to load model
    // (%s)", when the description or the object cannot be had: the part then has no
    // model. Runs after a load (a failure fails the file) and on every clone (a
    // failure fails the clone).
    bool load_model();
    bool has_model() const { return bool(m_object); }
    model_object_u *get_model() const { return m_object.get(); }
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }
    fw4pp_light_modulator_u *get_tint_packet() const { return m_tint_packet.get(); }
    const r_parameter_array_t &get_packets() const { return m_packets; }

    // Draws the model placed by matrix (model space to the world): the model packet
    // takes the matrix and its inverse, the tint packet (level, level, level, 1).
    // Nothing without a model.
    void draw_at(const mat4_t &matrix, float level);

    bool _call_post_load() override;

    mstring_dyn_t model;
    mstring_dyn_t variant{"default"};

protected:
    bool _clone_finish(unit_base_t *target);
    void on_construct();
    void on_destroy();

private:
    // Declared before the object, so that the object goes first.
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<fw4pp_light_modulator_u> m_tint_packet;
    owner_ptr_t<model_object_u> m_object;
};

// An entry of a factory's list: a part with its name and score band.
class antler_part_simple_u : public antler_part_u {
    QRN_UNIT_CLASS(antler_part_simple_u, antler_part_u);

public:
    mstring_dyn_t pretty_name;
    float min_simple_score = 0.0f;
    float max_simple_score = 0.0f;
};

// The antler models of one species and gender, in part-index order.
class antler_factory_u : public unit_t {
    QRN_UNIT_CLASS(antler_factory_u, unit_t);

public:
    uint32_t get_part_count() const { return simple_beam_parts.get_count(); }
    // The part at index, or null past the end (or for an entry that is not a part).
    antler_part_simple_u *get_part(uint32_t index) const;

    // Fills piece: a matrix step scaling by scale, then a target step drawing part
    // index, and a new description (side, score type 0, the index, its beam name
    // "simple_beam_part%u" and the scale). A factory without parts gives the empty
    // piece. An index at or past the list is logged ("[animal] Antler part %u of %u
    // does not exist (%s)") and gives the empty piece too. False for an empty piece.
    bool build(antler_piece_t &piece, int32_t side, uint32_t index, float scale) const;

    // A list with an entry that is not a part ("null") fails the load: "[animal]
    // Antler factory '%s' has no part at %u".
    bool _call_post_load() override;

    // References to antler_part_simple_u units.
    array_dyn_t<ref_ptr_t<unit_base_t>> simple_beam_parts;
};

// What one built antler is: score type (0 for the simple beams), side (0 left, 1
// right), seed (kept, not used), the part index and its beam name, the scale.
class antler_desc_u : public unit_t {
    QRN_UNIT_CLASS(antler_desc_u, unit_t);

public:
    int32_t score_type = 0;
    int32_t side = 0;
    int32_t seed = 0;
    int32_t main_beam_index = 0;
    mstring_dyn_t main_beam{"simple_beam_part0"};
    float scale = 1.0f;
};

// The score of one antler.
class antler_score_u : public unit_t {
    QRN_UNIT_CLASS(antler_score_u, unit_t);

public:
    float simple_score = 0.0f;
};

// The scores of a pair: a new pair holds two fresh antler_score_u (left, right).
class antler_pair_score_u : public unit_t {
    QRN_UNIT_CLASS(antler_pair_score_u, unit_t);

public:
    array_dyn_t<ref_ptr_t<unit_base_t>> scores;
    float total_score = 0.0f;

    // A unit file lists the scores itself: the fresh ones go first.
    void _call_pre_load() override;

protected:
    void on_construct();
};

}  // namespace quarn
