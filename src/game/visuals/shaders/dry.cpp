#include "game/visuals/shaders/dry.h"

#include <cmath>
#include <cstring>

#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/material.h"
#include "outside/visbase/render.h"
#include "qrncore/math/matrix.h"

namespace quarn {

QRN_UNIT_DEFINE(dry_u, "dry");
QRN_UNIT_DEFINE(dry_pass_u, "dry_pass");
QRN_UNIT_DEFINE(drypp_texprojection_u, "drypp_texprojection", QRN_ATTR(gen_matrix, UNIT_ATTR_MATRIX, "gen_matrix"));

namespace {

vec3_t global_fog_colour;

// The material's tile sizes, (1, 1) without a material.
vec2_t tiles_of(const effect_pass_config_t &config) {
    return config.material ? config.material->tile : vec2_t{1, 1};
}

// Multipliers of the fog packet's fourth value in the modes 0x20, 0x40, 0x60.
float fog_mode_scale(uint32_t flags) {
    switch (flags & DRY_FOG_MODE) {
    case 0x40: return 0.75f;
    case 0x60: return 0.25f;
    default: return 1.0f;
    }
}

}  // namespace

void dry_set_fog_colour(const vec3_t &colour) { global_fog_colour = colour; }

vec3_t dry_get_fog_colour() { return global_fog_colour; }

uint32_t dry_queue_for(uint32_t flags) {
    const bool second = (flags & DRY_SECOND_GROUP) != 0;
    if (!(flags & DRY_LAYERED)) return second ? 1 : 0;
    const uint32_t layer = (flags >> DRY_LAYER_SHIFT) & DRY_LAYER_MASK;
    if (second) return layer == 3 ? 3 : layer == 4 ? 4 : 2;
    return layer == 3 ? 7 : layer == 4 ? 8 : 6;
}

owner_ptr_ret_t<effect_pass_u> dry_u::create_pass(const char *name) {
    if (name && strcmp(name, "default") == 0) return create_pass_unit(dry_pass_u::unit_descriptor);
    return {};
}

bool dry_pass_u::set_up(r_context_t *context) {
    const gfx_path_t path = r_effect_get_path();
    fixed_fog = shd_uses_fixed_fog_processing(path);
    programmable_transform = !shd_uses_fixed_vertex_processing(path);
    const uint32_t flags = config.flags;
    const bool textured = (flags & DRY_TEXTURED) != 0;
    const bool fog = (flags & DRY_FOG) != 0;
    const bool texgen = (flags & (DRY_PLANAR_TEXGEN | DRY_PROJECTED_TEXGEN)) != 0;
    shaderlib_set_pass_queue(config, dry_queue_for(flags));

    bool ok = vertex_attribute(context, "v.position", 0);
    if (flags & DRY_VERTEX_COLOURS) ok = vertex_attribute(context, "v.color", 3) && ok;
    if (textured && !texgen) ok = vertex_attribute(context, "v.tex_coord_0", 8) && ok;

    if (!programmable_transform) {
        ok = vertex_uniform(context, "transform.p_matrix",
                            effect_packet_param<EFFECT_PARAM_MATRIX, pp_camera_u, &pp_camera_u::projection>(FW_SLOT_CAMERA)) &&
             ok;
    } else {
        ok = vertex_uniform(context, "transform.mvp_matrix",
                            effect_pass_param<EFFECT_PARAM_MATRIX, dry_pass_u, &dry_pass_u::model_view_projection>()) &&
             ok;
    }
    if (!programmable_transform || fog || (flags & DRY_PROJECTED_TEXGEN))
        ok = vertex_uniform(context, "transform.mv_matrix",
                            effect_pass_param<EFFECT_PARAM_MATRIX, dry_pass_u, &dry_pass_u::model_view>()) &&
             ok;
    if (fog && !fixed_fog) {
        if (flags & DRY_FOG_MODE)
            ok = fragment_uniform(context, "fog_color",
                                  effect_pass_param<EFFECT_PARAM_FLOAT4, dry_pass_u, &dry_pass_u::fog_colour>()) &&
                 ok;
        else
            ok = fragment_uniform(context, "fog_color",
                                  effect_packet_param<EFFECT_PARAM_FLOAT4, pp_fog_u, &pp_fog_u::colour>(FW_SLOT_FOG)) &&
                 ok;
    }
    if (flags & DRY_PLANAR_TEXGEN) {
        ok = vertex_uniform(context, "texgen_0.gen_x", effect_pass_param<EFFECT_PARAM_FLOAT4, dry_pass_u, &dry_pass_u::gen_x>()) && ok;
        ok = vertex_uniform(context, "texgen_0.gen_y", effect_pass_param<EFFECT_PARAM_FLOAT4, dry_pass_u, &dry_pass_u::gen_y>()) && ok;
    }
    if (flags & DRY_PROJECTED_TEXGEN)
        ok = vertex_uniform(context, "texgen_0.gen_matrix",
                            effect_packet_param<EFFECT_PARAM_MATRIX, drypp_texprojection_u,
                                                &drypp_texprojection_u::gen_matrix>(FW_SLOT_LIGHT)) &&
             ok;
    if (textured) ok = texture_sampler(context, "texture") && ok;
    return ok;
}

void dry_pass_u::prepare_parameters(r_proto_t *proto) {
    const fw_packet_view_t p(proto);
    const uint32_t flags = config.flags;
    // Model first, then the view; then the projection.
    mult_matrix_matrix(&model_view, *p.model, *p.view);
    if (programmable_transform) mult_matrix_matrix(&model_view_projection, model_view, *p.projection);
    if (flags & DRY_FOG_MODE)
        fog_colour = {global_fog_colour.x, global_fog_colour.y, global_fog_colour.z,
                      p.fog_colour->w * fog_mode_scale(flags)};
    if (flags & DRY_PLANAR_TEXGEN) {
        // Whole tiles are taken off the camera position, so that the coordinates stay
        // small near the camera wherever it is.
        const float x = p.camera->at(0, 3), z = p.camera->at(2, 3);
        const vec2_t tile = tiles_of(config);
        gen_x = {1.0f / tile.x, 0, 0, -(x - std::fmod(x, tile.x)) / tile.x};
        gen_y = {0, 0, 1.0f / tile.y, -(z - std::fmod(z, tile.y)) / tile.y};
    }
}

vec4_t dry_pass_u::state_fog_colour(const r_proto_t *proto) const {
    if (config.flags & DRY_FOG_MODE) return fog_colour;
    return *fw_packet_view_t(proto).fog_colour;
}

void dry_pass_u::render_state_parametrize(r_context_t *context, r_proto_t *proto) {
    effect_pass_u::render_state_parametrize(context, proto);
    const uint32_t flags = config.flags;
    if ((flags & DRY_EXTRA_STATE) && config.material)
        for (const material_state_t &s : config.material->render_state)
            context->apply_render_state(s.key.c_str(), s.value.c_str());
    if (!fixed_fog) return;
    if (!(flags & DRY_FOG)) context->fog_off();
    else context->set_fog(2, state_fog_colour(proto));
}

}  // namespace quarn
