#pragma once
// The base of the game's effect family under "/effect/fw4" (fw_families.h): the
// abstract effect fw_effect_u, and fw_effect_pass_u with what every family pass
// shares: the path flags read at set-up, the shared bindings (transform, lighting,
// environment, fog), the per-prototype values (model-view matrices, light colours,
// environment), and the fixed-function light and fog set per prototype.
//
// Values this family leaves to the renderer's data, settled here:
// - light colours on path 8 with per-pixel lighting are scaled by FW_PATH8_LIGHT_SCALE
//   (its programs take colours at half range, so that over-bright sums stay in the
//   range they clamp to); ambient and diffuse on path 1 by FW_PATH1_LIGHT_SCALE;
// - environment_factor = (s * f, s * f, s * f, s) of the material's reflection
//   (s, f): strength and fresnel share;
// - the material's colours and specular exponent are the material file's.
#include <cstdint>

#include "game/visuals/shaders/fw_packets.h"
#include "game/visuals/shaders/shaderlib.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/effect_registry.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

class material_t;

inline constexpr vec4_t FW_PATH8_LIGHT_SCALE{0.5f, 0.5f, 0.5f, 1.0f};
inline constexpr vec4_t FW_PATH1_LIGHT_SCALE{0.8f, 0.8f, 0.8f, 1.0f};

// Attribute slots of the family.
enum fw_attribute_slot_t : uint32_t {
    FW_ATTR_POSITION = 0,
    FW_ATTR_NORMAL = 2,
    FW_ATTR_COLOR = 3,
    FW_ATTR_COLOR1 = 4,
    FW_ATTR_TEXCOORD = 8,
    FW_ATTR_TANGENT = 11,
};

// Every family effect derives from it and answers only create_pass; it is never
// made itself (cloning aborts).
class fw_effect_u : public effect_u {
    QRN_UNIT_CLASS(fw_effect_u, effect_u);

private:
    shaderlib_hold_t m_hold;
};

// What a family pass binds besides the shared bindings (fw_families.h).
struct fw_pass_traits_t {
    uint32_t queue = 0;
    bool texcoord = true;         // "v.texcoord"
    bool texture_sampler = true;  // "texture_sampler"
    bool normal_map = false;      // "normal_sampler" with per-pixel lighting
    bool environment = false;     // the environment bindings (not on path 1)
    bool texture_matrix = false;  // "tmatrix" from the texture transform packet
};

class fw_effect_pass_u : public effect_pass_u {
    QRN_UNIT_CLASS(fw_effect_pass_u, effect_pass_u);

public:
    // The flags, the queue, then the family's bindings (bind_family).
    bool set_up(r_context_t *context) override;
    // The basic values; with environment mapping on, the environment ones too.
    void prepare_parameters(r_proto_t *proto) override;
    // With fixed vertex processing: light 0 from the light colours and the negated
    // light direction, lighting on, and with environment mapping three texture stages
    // for the reflection.
    void vertex_state_parametrize(r_context_t *context, r_proto_t *proto) override;
    // With fixed fog: fog mode 2 in the fog packet's colour.
    void fragment_state_parametrize(r_context_t *context, r_proto_t *proto) override;

    // Set at set-up from the render path.
    gfx_path_t path = GFX_PATH_DEFAULT;
    bool per_pixel_lighting = false;
    bool fixed_fog = false;
    bool fixed_vertex = false;
    bool fixed_vertex_path6 = false;
    bool environment_on = false;

    // The values computed per prototype.
    mat4_t model_view = mat4_t::identity();
    mat4_t model_view_projection = mat4_t::identity();
    mat4_t model_view_inverse = mat4_t::identity();
    mat4_t view_rotation_inverse = mat4_t::identity();
    vec4_t light_ambient;
    vec4_t light_diffuse;
    vec4_t light_specular;
    vec4_t environment_factor;

protected:
    // The family's bindings and queue. The base binds as the traits say.
    virtual bool bind_family(r_context_t *context);
    virtual fw_pass_traits_t traits() const { return {}; }

    // The shared bindings.
    bool bind_transform(r_context_t *context);
    bool bind_lighting(r_context_t *context);
    bool bind_environment(r_context_t *context);
    bool bind_fog(r_context_t *context);
    // The model-view matrices and the light colours.
    void prepare_basic(const fw_packet_view_t &packets);
    void prepare_environment(const fw_packet_view_t &packets);

    // The material's record; a default one when the pass has none.
    const material_t &material() const;

private:
    shaderlib_hold_t m_hold;
};

}  // namespace quarn
