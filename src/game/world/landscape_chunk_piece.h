#pragma once
// landscape_chunk_piece_u (unit type "landscape_chunk_piece", made by code only): one
// geometry piece of a terrain chunk's model. It knows the substances of its texture
// layers (through the texture table), keeps the piece's texture-coordinate packet
// (fw4pp_terrain_uv, from the landscape file's slot record) and the packet array the
// piece is drawn with, and answers what the ground is like at a point of one of its
// triangles: its colour and which layer's substance dominates there.
//
// Colours are the model's 0xAARRGGBB words. Layer 1's weight is the alpha of the
// piece's colour stream, layer 2's the alpha of its further stream (a piece without
// the further stream has layer 2 weight 0).
#include <algorithm>
#include <cstdint>

#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_object_u;
struct material_t;

// The streams of one piece a colour read needs.
struct landscape_piece_streams_t {
    const uint32_t *colours = nullptr;
    const uint32_t *further = nullptr;  // null without the stream
    const uint16_t *indices = nullptr;
    uint32_t vertex_count = 0;
    uint32_t index_count = 0;
};

class landscape_chunk_piece_u : public unit_t {
    QRN_UNIT_CLASS(landscape_chunk_piece_u, unit_t);

public:
    // What a colour read gives where it cannot read (no model, a triangle outside the
    // piece): white ground after the cap.
    static constexpr uint32_t NEUTRAL_COLOUR = 0xFF7F7F7Fu;

    // Takes the chunk's model and the piece number; reads the layers of the piece's
    // material: for an effect of the fw_terrain family, each of its first three
    // texture samplers that is set ("texture_sampler[0..2]") is a layer whose
    // substance the texture table gives.
    void set_piece(model_object_u *model, int32_t piece);
    // The layers from a material record (set_piece's second half; tests call it).
    void set_layers(const material_t *material);

    model_object_u *get_model() const { return m_model.get(); }
    int32_t get_piece() const { return m_piece; }
    uint32_t get_layer_count() const { return m_layer_count; }
    uint32_t get_layer_substance(uint32_t layer) const { return m_layer_substance[layer]; }
    uint32_t get_high_substance() const { return m_high_substance; }
    uint32_t get_low_substance() const { return m_low_substance; }

    // The piece's colour at weights (a, b) of triangle t: the three corner colours
    // blended as c0 + (c1 - c0)·a + (c2 - c0)·b, red, green and blue capped at 0.5,
    // alpha 1; NEUTRAL_COLOUR for a triangle outside the piece.
    uint32_t get_colour(uint32_t triangle, float a, float b) const;
    // The substance of the layer that dominates at weights (a, b) of triangle t: with
    // fewer than two layers the low substance; otherwise the layer of the largest of
    // w0 = (1 - c)(1 - f), w1 = c(1 - f), w2 = f, c and f the blended weights of layers
    // 1 and 2. A triangle outside the piece gives the low substance.
    uint32_t get_layer_substance(uint32_t triangle, float a, float b) const;

    // The byte of a ground colour that lights what stands or grows on the ground: its
    // red. Bodies, plants (through the ground probe, whose first byte it is) and grass
    // all read this one.
    static uint8_t light_byte(uint32_t colour) { return uint8_t(colour >> 16); }
    // The ground's light share for that byte: twice it against full light, at most 1
    // (the colour read caps red at one half, so ground of half red or more gives 1).
    static float light_share(uint8_t light_byte) { return std::min(float(light_byte) * 2.0f / 255.0f, 1.0f); }

    // The streams the reads use (null arrays without a model).
    landscape_piece_streams_t get_streams() const;
    // The pure reads over given streams.
    static uint32_t colour_at(const landscape_piece_streams_t &s, uint32_t triangle, float a, float b);
    static int32_t dominant_layer(const landscape_piece_streams_t &s, uint32_t triangle, float a, float b);

    // Packets: the texture transform (slot 4) and the array the piece draws with.
    fw4pp_terrain_uv_u *get_uv_packet() const { return m_uv_packet.get(); }
    r_parameter_array_t &get_packets() { return m_packets; }
    // Makes the uv packet (when missing) and puts the rows (scale, 0, 0, u offset),
    // (0, scale, 0, v offset) of each layer (scale, u offset, v offset) into it.
    bool set_uv_layers(const float layers[3][3]);

protected:
    void on_destroy();

private:
    ref_ptr_t<model_object_u> m_model;
    int32_t m_piece = -1;
    uint32_t m_layer_count = 0;
    uint32_t m_layer_substance[3] = {0, 0, 0};
    uint32_t m_high_substance = 0;
    uint32_t m_low_substance = 0;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_terrain_uv_u> m_uv_packet;
};

}  // namespace quarn
