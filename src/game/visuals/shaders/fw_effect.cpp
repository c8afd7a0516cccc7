#include "game/visuals/shaders/fw_effect.h"

#include "outside/qrnshared/material.h"
#include "outside/visbase/render.h"
#include "qrncore/math/matrix.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(fw_effect_u, "fw_effect");
QRN_UNIT_DEFINE_ABSTRACT(fw_effect_pass_u, "fw_effect_pass");

namespace {

using pass_t = fw_effect_pass_u;

constexpr effect_param_data_t MV = effect_pass_param<EFFECT_PARAM_MATRIX, pass_t, &pass_t::model_view>();
constexpr effect_param_data_t MVP = effect_pass_param<EFFECT_PARAM_MATRIX, pass_t, &pass_t::model_view_projection>();
constexpr effect_param_data_t MV_INV = effect_pass_param<EFFECT_PARAM_MATRIX, pass_t, &pass_t::model_view_inverse>();
constexpr effect_param_data_t V_ROT_INV =
    effect_pass_param<EFFECT_PARAM_MATRIX, pass_t, &pass_t::view_rotation_inverse>();
constexpr effect_param_data_t AMBIENT = effect_pass_param<EFFECT_PARAM_FLOAT4, pass_t, &pass_t::light_ambient>();
constexpr effect_param_data_t DIFFUSE = effect_pass_param<EFFECT_PARAM_FLOAT4, pass_t, &pass_t::light_diffuse>();
constexpr effect_param_data_t SPECULAR = effect_pass_param<EFFECT_PARAM_FLOAT4, pass_t, &pass_t::light_specular>();
constexpr effect_param_data_t ENVIRONMENT =
    effect_pass_param<EFFECT_PARAM_FLOAT4, pass_t, &pass_t::environment_factor>();
constexpr effect_param_data_t PROJECTION =
    effect_packet_param<EFFECT_PARAM_MATRIX, pp_camera_u, &pp_camera_u::projection>(FW_SLOT_CAMERA);
// The light packet's initial direction, for a light slot that holds none.
constexpr float INITIAL_LIGHT_DIRECTION[4] = {0, 0, -1, 0};
constexpr effect_param_data_t LIGHT_DIRECTION =
    effect_packet_param<EFFECT_PARAM_FLOAT3, fw4pp_light_u, &fw4pp_light_u::es_direction>(FW_SLOT_LIGHT,
                                                                                          INITIAL_LIGHT_DIRECTION);
constexpr effect_param_data_t FOG = effect_packet_param<EFFECT_PARAM_FLOAT4, pp_fog_u, &pp_fog_u::colour>(FW_SLOT_FOG);
constexpr effect_param_data_t TEXTURE_MATRIX =
    effect_packet_param<EFFECT_PARAM_MATRIX, fw4pp_texture_transform_u, &fw4pp_texture_transform_u::matrix>(
        FW_SLOT_TEXTURE_TRANSFORM);

const material_t default_material;

}  // namespace

const material_t &fw_effect_pass_u::material() const {
    return config.material ? *config.material : default_material;
}

bool fw_effect_pass_u::set_up(r_context_t *context) {
    path = r_effect_get_path();
    fixed_vertex = shd_uses_fixed_vertex_processing(path);
    fixed_vertex_path6 = fixed_vertex && path == 6;
    fixed_fog = shd_uses_fixed_fog_processing(path);
    per_pixel_lighting = path != 1 && path != 3 && path != 6;
    environment_on = false;
    return bind_family(context);
}

bool fw_effect_pass_u::bind_family(r_context_t *context) {
    const fw_pass_traits_t t = traits();
    shaderlib_set_pass_queue(config, t.queue);
    bool ok = vertex_attribute(context, "v.position", FW_ATTR_POSITION) &&
              vertex_attribute(context, "v.normal", FW_ATTR_NORMAL) &&
              vertex_attribute(context, "v.color", FW_ATTR_COLOR);
    if (t.texcoord) ok = vertex_attribute(context, "v.texcoord", FW_ATTR_TEXCOORD) && ok;
    ok = bind_transform(context) && bind_lighting(context) && ok;
    if (t.environment && path != 1) {
        environment_on = true;
        ok = bind_environment(context) && ok;
    }
    ok = bind_fog(context) && ok;
    if (t.normal_map && per_pixel_lighting) ok = texture_sampler(context, "normal_sampler") && ok;
    if (t.texture_sampler) ok = texture_sampler(context, "texture_sampler") && ok;
    if (t.texture_matrix) ok = vertex_uniform(context, "tmatrix", TEXTURE_MATRIX) && ok;
    return ok;
}

bool fw_effect_pass_u::bind_transform(r_context_t *context) {
    bool ok = vertex_uniform(context, "transform.mv", MV);
    if (fixed_vertex) ok = vertex_uniform(context, "transform.p", PROJECTION) && ok;
    else ok = vertex_uniform(context, "transform.mvp", MVP) && ok;
    if (per_pixel_lighting) ok = vertex_uniform(context, "transform.mv_inv", MV_INV) && ok;
    return ok;
}

bool fw_effect_pass_u::bind_lighting(r_context_t *context) {
    if (fixed_vertex) return true;
    bool ok = vertex_uniform(context, "es_light_direction", LIGHT_DIRECTION);
    if (per_pixel_lighting) {
        ok = vertex_attribute(context, "v.tangent", FW_ATTR_TANGENT) && ok;
        ok = fragment_uniform(context, "light.ambient", AMBIENT) && fragment_uniform(context, "light.diffuse", DIFFUSE) &&
             fragment_uniform(context, "light.specular", SPECULAR) && ok;
        if (path == 8 || path == 14) ok = texture_sampler(context, "normcube") && ok;
    } else {
        ok = vertex_uniform(context, "light.ambient", AMBIENT) && vertex_uniform(context, "light.diffuse", DIFFUSE) &&
             vertex_uniform(context, "light.specular", SPECULAR) && ok;
    }
    return ok;
}

bool fw_effect_pass_u::bind_environment(r_context_t *context) {
    return vertex_uniform(context, "transform.v_rot_inv", V_ROT_INV) &&
           fragment_uniform(context, "environment_factor", ENVIRONMENT) &&
           texture_sampler(context, "reflection_sampler");
}

bool fw_effect_pass_u::bind_fog(r_context_t *context) {
    return fixed_fog || fragment_uniform(context, "fog_color", FOG);
}

void fw_effect_pass_u::prepare_parameters(r_proto_t *proto) {
    const fw_packet_view_t packets(proto);
    prepare_basic(packets);
    if (environment_on) prepare_environment(packets);
}

void fw_effect_pass_u::prepare_basic(const fw_packet_view_t &p) {
    // Model first, then the view, then the projection; the inverse the other way.
    mult_matrix_matrix(&model_view, *p.model, *p.view);
    if (!fixed_vertex) mult_matrix_matrix(&model_view_projection, model_view, *p.projection);
    if (per_pixel_lighting) mult_matrix_matrix(&model_view_inverse, *p.camera, *p.model_inv);

    const vec4_t &m = *p.modulator;
    if (!fixed_vertex) {
        const material_t &mat = material();
        light_ambient = mul(mul(mat.ambient, *p.light_ambient), m);
        light_diffuse = mul(mul(mat.diffuse, *p.light_diffuse), m);
        light_specular = mul(mat.specular, *p.light_specular);
        light_specular.w = mat.specular_exponent;
        if (path == 8 && per_pixel_lighting) {
            light_ambient = mul(light_ambient, FW_PATH8_LIGHT_SCALE);
            light_diffuse = mul(light_diffuse, FW_PATH8_LIGHT_SCALE);
            light_specular = mul(light_specular, FW_PATH8_LIGHT_SCALE);
        }
    } else {
        light_ambient = mul(*p.light_ambient, m);
        light_diffuse = mul(*p.light_diffuse, m);
        light_specular = *p.light_specular;
        if (path == 1) {
            light_ambient = mul(light_ambient, FW_PATH1_LIGHT_SCALE);
            light_diffuse = mul(light_diffuse, FW_PATH1_LIGHT_SCALE);
        }
    }
}

void fw_effect_pass_u::prepare_environment(const fw_packet_view_t &p) {
    const vec2_t r = material().reflection;
    environment_factor = {r.x * r.y, r.x * r.y, r.x * r.y, r.x};
    // The camera's rotation alone.
    view_rotation_inverse = *p.camera;
    view_rotation_inverse.at(0, 3) = view_rotation_inverse.at(1, 3) = view_rotation_inverse.at(2, 3) = 0.0f;
}

void fw_effect_pass_u::vertex_state_parametrize(r_context_t *context, r_proto_t *proto) {
    effect_pass_u::vertex_state_parametrize(context, proto);
    if (!fixed_vertex) return;
    const fw_packet_view_t p(proto);
    context->set_light(0, light_ambient, light_diffuse, light_specular, -*p.light_direction);
    context->set_lighting(true);
    if (environment_on) {
        context->set_texture_stage(0, "texture");
        context->set_texture_stage(1, "reflection");
        context->set_texture_stage(2, "environment_blend");
    }
}

void fw_effect_pass_u::fragment_state_parametrize(r_context_t *context, r_proto_t *proto) {
    effect_pass_u::fragment_state_parametrize(context, proto);
    if (fixed_fog) context->set_fog(2, *fw_packet_view_t(proto).fog_colour);
}

}  // namespace quarn
