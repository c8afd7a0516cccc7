// The water pass of fw_water: lit per vertex, its normal map animated by the wave
// texture ("/procedural/water_noise.tobj", named by the water materials).
#include "game/visuals/shaders/fw_families.h"
#include "outside/qrnshared/material.h"
#include "outside/visbase/render.h"

namespace quarn {

QRN_UNIT_DEFINE(fw_water_pass_u, "fw_water_pass");

bool fw_water_pass_u::bind_family(r_context_t *context) {
    using self = fw_water_pass_u;
    // Water is never lit per pixel: no inverse model-view, light colours per vertex.
    per_pixel_lighting = false;
    shaderlib_set_pass_queue(config, 6);
    bool ok = vertex_attribute(context, "v.position", FW_ATTR_POSITION) &&
              vertex_attribute(context, "v.normal", FW_ATTR_NORMAL) &&
              vertex_attribute(context, "v.color", FW_ATTR_COLOR) &&
              vertex_attribute(context, "v.texcoord", FW_ATTR_TEXCOORD);
    ok = bind_transform(context) && ok;
    if (!fixed_vertex) ok = vertex_attribute(context, "v.tangent", FW_ATTR_TANGENT) && bind_lighting(context) && ok;
    ok = bind_fog(context) && ok;
    ok = vertex_uniform(context, "water.ws_eye_position",
                        effect_pass_param<EFFECT_PARAM_FLOAT3, self, &self::eye_position>()) &&
         vertex_uniform(context, "water.water_color", effect_pass_param<EFFECT_PARAM_FLOAT3, self, &self::water_colour>()) &&
         vertex_uniform(context, "water.tex_coord_0_matrix_u",
                        effect_pass_param<EFFECT_PARAM_FLOAT4, self, &self::tex_coord_u>()) &&
         vertex_uniform(context, "water.tex_coord_0_matrix_v",
                        effect_pass_param<EFFECT_PARAM_FLOAT4, self, &self::tex_coord_v>()) &&
         fragment_uniform(context, "base_opacity", effect_pass_param<EFFECT_PARAM_FLOAT4, self, &self::base_opacity>()) &&
         fragment_uniform(context, "reflection_factor",
                          effect_pass_param<EFFECT_PARAM_FLOAT4, self, &self::reflection_factor>()) &&
         ok;
    if (path == 1) {
        ok = texture_sampler(context, "texture_sampler") && ok;
    } else if (fixed_vertex) {
        ok = vertex_uniform(context, "water.tex_coord_0_matrix",
                            effect_pass_param<EFFECT_PARAM_MATRIX, self, &self::tex_coord_matrix>()) &&
             vertex_uniform(context, "water.fresnel_matrix",
                            effect_pass_param<EFFECT_PARAM_MATRIX, self, &self::fresnel_matrix>()) &&
             texture_sampler(context, "texture_sampler") && texture_sampler(context, "fresnel_sampler") && ok;
    } else {
        ok = texture_sampler(context, "normal_sampler") && texture_sampler(context, "reflection_sampler") && ok;
        if (path == 14) ok = texture_sampler(context, "normcube") && ok;
    }
    return ok;
}

void fw_water_pass_u::prepare_parameters(r_proto_t *proto) {
    const fw_packet_view_t p(proto);
    prepare_basic(p);
    const material_t &m = material();
    const mat4_t &camera = *p.camera;
    eye_position = {camera.at(0, 3), camera.at(1, 3), camera.at(2, 3)};
    water_colour = {m.water_colour.x, m.water_colour.y, m.water_colour.z};
    const float a = m.water_colour.w;
    base_opacity = {a, a, a, a};
    tex_coord_u = {m.tile.x, 0, 0, 0};
    tex_coord_v = {0, m.tile.y, 0, 0};
    const vec4_t &s = *p.light_specular;
    reflection_factor = {m.reflection.x * s.x, m.reflection.x * s.y, m.reflection.x * s.z, m.reflection.y};
    tex_coord_matrix = mat4_t::identity();
    for (int c = 0; c < 4; ++c) {
        tex_coord_matrix.at(0, c) = tex_coord_u[c];
        tex_coord_matrix.at(1, c) = tex_coord_v[c];
    }
    fresnel_matrix = camera;
    fresnel_matrix.at(0, 3) = fresnel_matrix.at(1, 3) = fresnel_matrix.at(2, 3) = 0.0f;
}

void fw_water_pass_u::vertex_state_parametrize(r_context_t *context, r_proto_t *proto) {
    fw_effect_pass_u::vertex_state_parametrize(context, proto);
    if (!fixed_vertex) return;
    context->set_texture_constant(material().water_colour);
    context->set_texture_mode(14);
}

}  // namespace quarn
