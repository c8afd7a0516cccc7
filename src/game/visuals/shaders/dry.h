#pragma once
// The generic effect "dry" (directory "/effect/generic"): one pass, "default", for
// simple geometry (bits, particles, decals, shadows) whose material flags choose what
// it binds and where it is drawn:
//
//   0x1      vertex colours ("v.color")
//   0x2      textured: texture coordinates and the sampler "texture"
//   0x10     fog
//   0x60     fog colour mode: 0 the fog packet's colour; 0x20, 0x40, 0x60 the global fog
//            colour (dry_set_fog_colour) with the fog packet's fourth value x 1,
//            x 0.75, x 0.25
//   0x100    the second queue group
//   0x1000   planar texture coordinates in world x/z, tiled by the material's tiles
//   0x2000   projected texture coordinates (slot 3: drypp_texprojection_u)
//   0x10000  queue by the layer field in bits 20-22
//   0x20000  the material's extra render state
//
// Queue: with 0x10000 and layer field f: with 0x100 queue 3 for f = 3, 4 for f = 4,
// else 2; without, 7 for f = 3, 8 for f = 4, else 6. Without 0x10000: 1 with 0x100,
// else 0.
#include <cstdint>

#include "game/visuals/shaders/shaderlib.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

enum dry_flag_t : uint32_t {
    DRY_VERTEX_COLOURS = 0x1,
    DRY_TEXTURED = 0x2,
    DRY_FOG = 0x10,
    DRY_FOG_MODE = 0x60,
    DRY_SECOND_GROUP = 0x100,
    DRY_PLANAR_TEXGEN = 0x1000,
    DRY_PROJECTED_TEXGEN = 0x2000,
    DRY_LAYERED = 0x10000,
    DRY_EXTRA_STATE = 0x20000,
    DRY_LAYER_SHIFT = 20,
    DRY_LAYER_MASK = 0x7,
};

// The global fog colour that fog modes 0x20-0x60 use (its fourth value is the fog
// packet's, scaled by the mode). (0, 0, 0) until set.
void dry_set_fog_colour(const vec3_t &colour);
vec3_t dry_get_fog_colour();

// The queue index the flags choose.
uint32_t dry_queue_for(uint32_t flags);

class dry_u : public effect_u {
    QRN_UNIT_CLASS(dry_u, effect_u);

public:
    // "default": a dry_pass_u; any other name: null.
    owner_ptr_ret_t<effect_pass_u> create_pass(const char *name) override;

private:
    shaderlib_hold_t m_hold;
};

class dry_pass_u : public effect_pass_u {
    QRN_UNIT_CLASS(dry_pass_u, effect_pass_u);

public:
    void render_state_parametrize(r_context_t *context, r_proto_t *proto) override;
    void prepare_parameters(r_proto_t *proto) override;
    bool set_up(r_context_t *context) override;

    // Set up on the current render path.
    bool fixed_fog = false;
    bool programmable_transform = true;

    // The values computed per prototype.
    mat4_t model_view = mat4_t::identity();
    mat4_t model_view_projection = mat4_t::identity();
    vec4_t fog_colour;
    vec4_t gen_x;
    vec4_t gen_y;

private:
    // The fog colour of the render state: the global one in modes 0x20-0x60, else the
    // fog packet's.
    vec4_t state_fog_colour(const r_proto_t *proto) const;

    shaderlib_hold_t m_hold;
};

// The texture projection of flag 0x2000: one matrix ("gen_matrix"), identity at first.
class drypp_texprojection_u : public parameter_packet_u {
    QRN_UNIT_CLASS(drypp_texprojection_u, parameter_packet_u);

public:
    mat4_t gen_matrix = mat4_t::identity();
};

}  // namespace quarn
