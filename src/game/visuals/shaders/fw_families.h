#pragma once
// The game's effect family under "/effect/fw4": fourteen effects, each answering one to
// six pass names, and their pass classes. Materials name them as
// "/effect/fw4/<type name>" ("/effect/fw4/fw_dif_spec_env") with a pass ("default",
// "no_env", "tm0", "single_2l", ...).
//
//   effect                      passes                                    queue
//   fw_dif, fw_dif_spec         default                                   0
//   fw_dif_spec_env             default (environment), no_env             0
//   fw_dif_opac                 default, tm0 (+ "tmatrix")                6
//   fw_dif_opac_attn            default (attenuation)                     6
//   fw_dif_nm, fw_dif_nm_offs,  default (normal map)                      0
//   fw_dif_spec_nm, fw_dif_spec_nm_offs
//   fw_dif_spec_nm_env          default (normal map, environment)         0
//   fw_dif_spec_nm_offs_env     default (normal map, environment), no_env 0
//   fw_untextured               default (no texture coordinates or sampler) 0
//   fw_terrain                  single_1l, single_2l, single_3l, multi_1p, multi_2p, multi_3p  0
//   fw_water                    default                                   6
//
// Settled here for the terrain and water (values of the renderer's data):
// - a terrain material's flag FW_TERRAIN_ALT_COLOUR moves "v.color0" to slot 4 in the
//   passes that do not draw exactly two layers;
// - a layer's matrix form (fixed vertex processing) has the layer's two columns as its
//   first two rows and (0, 0, 1, 0), (0, 0, 0, 1) below;
// - water: "base_opacity" = the water colour's fourth value in all four places;
//   "reflection_factor" = (r * specular.rgb, f) for the material's reflection (r, f)
//   and the light packet's specular colour; "water.tex_coord_0_matrix" has the u and v
//   rows above (0, 0, 1, 0), (0, 0, 0, 1); "water.fresnel_matrix" is the camera's
//   rotation;
// - attenuation: a disc of radius FW_ATTENUATION_RANGE around the camera in world x
//   and z: s = 0.5 / R * (camera row 0 without its translation) + 0.5, t likewise from
//   row 2, for camera-space positions.
#include <cstdint>

#include "game/visuals/shaders/fw_effect.h"

namespace quarn {

constexpr uint32_t FW_TERRAIN_ALT_COLOUR = 0x1;
constexpr float FW_ATTENUATION_RANGE = 50.0f;

// ---- effects ----
#define FW_EFFECT_CLASS(name)                                                \
    class name : public fw_effect_u {                                        \
        QRN_UNIT_CLASS(name, fw_effect_u);                                   \
                                                                             \
    public:                                                                  \
        owner_ptr_ret_t<effect_pass_u> create_pass(const char *pass) override; \
    }

FW_EFFECT_CLASS(fw_dif_u);
FW_EFFECT_CLASS(fw_dif_spec_u);
FW_EFFECT_CLASS(fw_dif_spec_env_u);
FW_EFFECT_CLASS(fw_dif_opac_u);
FW_EFFECT_CLASS(fw_dif_opac_attn_u);
FW_EFFECT_CLASS(fw_dif_nm_u);
FW_EFFECT_CLASS(fw_dif_nm_offs_u);
FW_EFFECT_CLASS(fw_dif_spec_nm_u);
FW_EFFECT_CLASS(fw_dif_spec_nm_offs_u);
FW_EFFECT_CLASS(fw_dif_spec_nm_env_u);
FW_EFFECT_CLASS(fw_dif_spec_nm_offs_env_u);
FW_EFFECT_CLASS(fw_untextured_u);
FW_EFFECT_CLASS(fw_terrain_u);
FW_EFFECT_CLASS(fw_water_u);
#undef FW_EFFECT_CLASS

// ---- passes that differ only in what they bind ----
#define FW_PASS_CLASS(name, ...)                                               \
    class name : public fw_effect_pass_u {                                     \
        QRN_UNIT_CLASS(name, fw_effect_pass_u);                                \
                                                                               \
    protected:                                                                 \
        fw_pass_traits_t traits() const override { return {__VA_ARGS__}; }    \
    }

FW_PASS_CLASS(fw_dif_pass_u, .queue = 0);
FW_PASS_CLASS(fw_dif_spec_pass_u, .queue = 0);
FW_PASS_CLASS(fw_dif_spec_env_pass_u, .queue = 0, .environment = true);
FW_PASS_CLASS(fw_dif_spec_no_env_pass_u, .queue = 0);
FW_PASS_CLASS(fw_dif_opac_pass_u, .queue = 6);
FW_PASS_CLASS(fw_dif_opac_tm0_pass_u, .queue = 6, .texture_matrix = true);
FW_PASS_CLASS(fw_dif_nm_pass_u, .queue = 0, .normal_map = true);
FW_PASS_CLASS(fw_dif_nm_offs_pass_u, .queue = 0, .normal_map = true);
FW_PASS_CLASS(fw_dif_spec_nm_pass_u, .queue = 0, .normal_map = true);
FW_PASS_CLASS(fw_dif_spec_nm_offs_pass_u, .queue = 0, .normal_map = true);
FW_PASS_CLASS(fw_dif_spec_nm_env_pass_u, .queue = 0, .normal_map = true, .environment = true);
FW_PASS_CLASS(fw_dif_spec_nm_offs_env_pass_u, .queue = 0, .normal_map = true, .environment = true);
FW_PASS_CLASS(fw_dif_spec_nm_offs_no_env_pass_u, .queue = 0, .normal_map = true);
FW_PASS_CLASS(fw_untextured_pass_u, .queue = 0, .texcoord = false, .texture_sampler = false);
#undef FW_PASS_CLASS

// Opacity with a distance attenuation: samplers "texture" and "attenuation", and the
// texture generation rows "es_attenuation_texgen.s" and ".t".
class fw_dif_opac_attn_pass_u : public fw_effect_pass_u {
    QRN_UNIT_CLASS(fw_dif_opac_attn_pass_u, fw_effect_pass_u);

public:
    void prepare_parameters(r_proto_t *proto) override;

    vec4_t texgen_s;
    vec4_t texgen_t;

protected:
    bool bind_family(r_context_t *context) override;
};

// The terrain passes: a single pass draws layers 0 up to its count at once, a multi
// pass one layer (its own) under index 0.
class fw_terrain_pass_shared_u : public fw_effect_pass_u {
    QRN_UNIT_CLASS(fw_terrain_pass_shared_u, fw_effect_pass_u);

public:
    void prepare_parameters(r_proto_t *proto) override;

    // The three layers' transforms from the terrain packet (slot 4; zeros without).
    vec4_t layer_columns[3][2] = {};
    mat4_t layer_matrix[3] = {};

protected:
    bool bind_family(r_context_t *context) override;
    // Single passes: (count of layers, -1); multi passes: (1, own layer).
    virtual uint32_t layers_drawn() const { return 1; }
    virtual int32_t own_layer() const { return -1; }
};

#define FW_TERRAIN_PASS_CLASS(name, count, own)                               \
    class name : public fw_terrain_pass_shared_u {                            \
        QRN_UNIT_CLASS(name, fw_terrain_pass_shared_u);                       \
                                                                              \
    protected:                                                                \
        uint32_t layers_drawn() const override { return count; }              \
        int32_t own_layer() const override { return own; }                    \
    }

FW_TERRAIN_PASS_CLASS(fw_terrain_single_1l_pass_u, 1, -1);
FW_TERRAIN_PASS_CLASS(fw_terrain_single_2l_pass_u, 2, -1);
FW_TERRAIN_PASS_CLASS(fw_terrain_single_3l_pass_u, 3, -1);
FW_TERRAIN_PASS_CLASS(fw_terrain_multi_1p_pass_u, 1, 0);
FW_TERRAIN_PASS_CLASS(fw_terrain_multi_2p_pass_u, 1, 1);
FW_TERRAIN_PASS_CLASS(fw_terrain_multi_3p_pass_u, 1, 2);
#undef FW_TERRAIN_PASS_CLASS

// Water: never lit per pixel; its normal sampler is fed by the wave texture.
class fw_water_pass_u : public fw_effect_pass_u {
    QRN_UNIT_CLASS(fw_water_pass_u, fw_effect_pass_u);

public:
    void prepare_parameters(r_proto_t *proto) override;
    // The shared override, then on fixed-vertex paths the water colour as the
    // constant texture colour and texture mode 14.
    void vertex_state_parametrize(r_context_t *context, r_proto_t *proto) override;

    vec3_t eye_position;
    vec3_t water_colour;
    vec4_t tex_coord_u;
    vec4_t tex_coord_v;
    vec4_t base_opacity;
    vec4_t reflection_factor;
    mat4_t tex_coord_matrix = mat4_t::identity();
    mat4_t fresnel_matrix = mat4_t::identity();

protected:
    bool bind_family(r_context_t *context) override;
};

// The classes fw_effects_register registers, in its order: the five packet classes
// (light, model, texture transform, terrain uv, light modulator), then each family's
// effect followed by its pass classes.
const unit_descriptor_t *const *fw_effects_classes(uint32_t *count);
// Registers the directory "/effect/fw4" and the classes above with the engine's unit
// bank; false (logged) without the bank or when one is refused.
bool fw_effects_register();
// Unregisters the directory (dropping the effects made under it) and the classes;
// nothing when the directory is not registered.
void fw_effects_unregister();

}  // namespace quarn
