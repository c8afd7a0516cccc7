#include "game/visuals/shaders/fw_families.h"

#include <cstring>

#include "kernel/memory/m_server.h"
#include "outside/visbase/render.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

QRN_UNIT_DEFINE(fw_dif_u, "fw_dif");
QRN_UNIT_DEFINE(fw_dif_spec_u, "fw_dif_spec");
QRN_UNIT_DEFINE(fw_dif_spec_env_u, "fw_dif_spec_env");
QRN_UNIT_DEFINE(fw_dif_opac_u, "fw_dif_opac");
QRN_UNIT_DEFINE(fw_dif_opac_attn_u, "fw_dif_opac_attn");
QRN_UNIT_DEFINE(fw_dif_nm_u, "fw_dif_nm");
QRN_UNIT_DEFINE(fw_dif_nm_offs_u, "fw_dif_nm_offs");
QRN_UNIT_DEFINE(fw_dif_spec_nm_u, "fw_dif_spec_nm");
QRN_UNIT_DEFINE(fw_dif_spec_nm_offs_u, "fw_dif_spec_nm_offs");
QRN_UNIT_DEFINE(fw_dif_spec_nm_env_u, "fw_dif_spec_nm_env");
QRN_UNIT_DEFINE(fw_dif_spec_nm_offs_env_u, "fw_dif_spec_nm_offs_env");
QRN_UNIT_DEFINE(fw_untextured_u, "fw_untextured");
QRN_UNIT_DEFINE(fw_terrain_u, "fw_terrain");
QRN_UNIT_DEFINE(fw_water_u, "fw_water");

QRN_UNIT_DEFINE(fw_dif_pass_u, "fw_dif_pass");
QRN_UNIT_DEFINE(fw_dif_spec_pass_u, "fw_dif_spec_pass");
QRN_UNIT_DEFINE(fw_dif_spec_env_pass_u, "fw_dif_spec_env_pass");
QRN_UNIT_DEFINE(fw_dif_spec_no_env_pass_u, "fw_dif_spec_no_env_pass");
QRN_UNIT_DEFINE(fw_dif_opac_pass_u, "fw_dif_opac_pass");
QRN_UNIT_DEFINE(fw_dif_opac_tm0_pass_u, "fw_dif_opac_tm0_pass");
QRN_UNIT_DEFINE(fw_dif_opac_attn_pass_u, "fw_dif_opac_attn_pass");
QRN_UNIT_DEFINE(fw_dif_nm_pass_u, "fw_dif_nm_pass");
QRN_UNIT_DEFINE(fw_dif_nm_offs_pass_u, "fw_dif_nm_offs_pass");
QRN_UNIT_DEFINE(fw_dif_spec_nm_pass_u, "fw_dif_spec_nm_pass");
QRN_UNIT_DEFINE(fw_dif_spec_nm_offs_pass_u, "fw_dif_spec_nm_offs_pass");
QRN_UNIT_DEFINE(fw_dif_spec_nm_env_pass_u, "fw_dif_spec_nm_env_pass");
QRN_UNIT_DEFINE(fw_dif_spec_nm_offs_env_pass_u, "fw_dif_spec_nm_offs_env_pass");
QRN_UNIT_DEFINE(fw_dif_spec_nm_offs_no_env_pass_u, "fw_dif_spec_nm_offs_no_env_pass");
QRN_UNIT_DEFINE(fw_untextured_pass_u, "fw_untextured_pass");

namespace {

constexpr char FW4_DIRECTORY[] = "/effect/fw4";

struct pass_name_t {
    const char *name;
    const unit_descriptor_t *descriptor;
};

template <size_t N>
owner_ptr_ret_t<effect_pass_u> create_named(effect_u &effect, const char *name, const pass_name_t (&passes)[N]) {
    for (const pass_name_t &p : passes)
        if (name && strcmp(name, p.name) == 0) return effect.create_pass_unit(*p.descriptor);
    return {};
}

}  // namespace

#define FW_DEFAULT_ONLY(effect, pass)                                                   \
    owner_ptr_ret_t<effect_pass_u> effect::create_pass(const char *name) {              \
        static const pass_name_t passes[] = {{"default", &pass::unit_descriptor}};      \
        return create_named(*this, name, passes);                                       \
    }

FW_DEFAULT_ONLY(fw_dif_u, fw_dif_pass_u)
FW_DEFAULT_ONLY(fw_dif_spec_u, fw_dif_spec_pass_u)
FW_DEFAULT_ONLY(fw_dif_opac_attn_u, fw_dif_opac_attn_pass_u)
FW_DEFAULT_ONLY(fw_dif_nm_u, fw_dif_nm_pass_u)
FW_DEFAULT_ONLY(fw_dif_nm_offs_u, fw_dif_nm_offs_pass_u)
FW_DEFAULT_ONLY(fw_dif_spec_nm_u, fw_dif_spec_nm_pass_u)
FW_DEFAULT_ONLY(fw_dif_spec_nm_offs_u, fw_dif_spec_nm_offs_pass_u)
FW_DEFAULT_ONLY(fw_dif_spec_nm_env_u, fw_dif_spec_nm_env_pass_u)
FW_DEFAULT_ONLY(fw_untextured_u, fw_untextured_pass_u)
FW_DEFAULT_ONLY(fw_water_u, fw_water_pass_u)
#undef FW_DEFAULT_ONLY

owner_ptr_ret_t<effect_pass_u> fw_dif_spec_env_u::create_pass(const char *name) {
    static const pass_name_t passes[] = {{"default", &fw_dif_spec_env_pass_u::unit_descriptor},
                                         {"no_env", &fw_dif_spec_no_env_pass_u::unit_descriptor}};
    return create_named(*this, name, passes);
}

owner_ptr_ret_t<effect_pass_u> fw_dif_opac_u::create_pass(const char *name) {
    static const pass_name_t passes[] = {{"default", &fw_dif_opac_pass_u::unit_descriptor},
                                         {"tm0", &fw_dif_opac_tm0_pass_u::unit_descriptor}};
    return create_named(*this, name, passes);
}

owner_ptr_ret_t<effect_pass_u> fw_dif_spec_nm_offs_env_u::create_pass(const char *name) {
    static const pass_name_t passes[] = {{"default", &fw_dif_spec_nm_offs_env_pass_u::unit_descriptor},
                                         {"no_env", &fw_dif_spec_nm_offs_no_env_pass_u::unit_descriptor}};
    return create_named(*this, name, passes);
}

owner_ptr_ret_t<effect_pass_u> fw_terrain_u::create_pass(const char *name) {
    static const pass_name_t passes[] = {
        {"single_1l", &fw_terrain_single_1l_pass_u::unit_descriptor},
        {"single_2l", &fw_terrain_single_2l_pass_u::unit_descriptor},
        {"single_3l", &fw_terrain_single_3l_pass_u::unit_descriptor},
        {"multi_1p", &fw_terrain_multi_1p_pass_u::unit_descriptor},
        {"multi_2p", &fw_terrain_multi_2p_pass_u::unit_descriptor},
        {"multi_3p", &fw_terrain_multi_3p_pass_u::unit_descriptor},
    };
    return create_named(*this, name, passes);
}

// ---- attenuation ----

bool fw_dif_opac_attn_pass_u::bind_family(r_context_t *context) {
    using self = fw_dif_opac_attn_pass_u;
    shaderlib_set_pass_queue(config, 6);
    bool ok = vertex_attribute(context, "v.position", FW_ATTR_POSITION) &&
              vertex_attribute(context, "v.normal", FW_ATTR_NORMAL) &&
              vertex_attribute(context, "v.color", FW_ATTR_COLOR) &&
              vertex_attribute(context, "v.texcoord", FW_ATTR_TEXCOORD);
    ok = bind_transform(context) && bind_lighting(context) && bind_fog(context) && ok;
    ok = texture_sampler(context, "texture") && texture_sampler(context, "attenuation") && ok;
    ok = vertex_uniform(context, "es_attenuation_texgen.s", effect_pass_param<EFFECT_PARAM_FLOAT4, self, &self::texgen_s>()) &&
         vertex_uniform(context, "es_attenuation_texgen.t", effect_pass_param<EFFECT_PARAM_FLOAT4, self, &self::texgen_t>()) &&
         ok;
    return ok;
}

void fw_dif_opac_attn_pass_u::prepare_parameters(r_proto_t *proto) {
    const fw_packet_view_t p(proto);
    prepare_basic(p);
    // Scale and bias 0.5 take the disc of radius R around the camera into 0..1.
    const float scale = 0.5f / FW_ATTENUATION_RANGE;
    const mat4_t &c = *p.camera;
    texgen_s = {scale * c.at(0, 0), scale * c.at(0, 1), scale * c.at(0, 2), 0.5f};
    texgen_t = {scale * c.at(2, 0), scale * c.at(2, 1), scale * c.at(2, 2), 0.5f};
}

// ---- registration ----

namespace {

const unit_descriptor_t *const CLASSES[] = {
    &fw4pp_light_u::unit_descriptor,
    &fw4pp_model_u::unit_descriptor,
    &fw4pp_texture_transform_u::unit_descriptor,
    &fw4pp_terrain_uv_u::unit_descriptor,
    &fw4pp_light_modulator_u::unit_descriptor,
    &fw_dif_u::unit_descriptor,
    &fw_dif_pass_u::unit_descriptor,
    &fw_dif_spec_u::unit_descriptor,
    &fw_dif_spec_pass_u::unit_descriptor,
    &fw_dif_spec_env_u::unit_descriptor,
    &fw_dif_spec_env_pass_u::unit_descriptor,
    &fw_dif_spec_no_env_pass_u::unit_descriptor,
    &fw_dif_opac_u::unit_descriptor,
    &fw_dif_opac_pass_u::unit_descriptor,
    &fw_dif_opac_tm0_pass_u::unit_descriptor,
    &fw_dif_opac_attn_u::unit_descriptor,
    &fw_dif_opac_attn_pass_u::unit_descriptor,
    &fw_dif_nm_u::unit_descriptor,
    &fw_dif_nm_pass_u::unit_descriptor,
    &fw_dif_nm_offs_u::unit_descriptor,
    &fw_dif_nm_offs_pass_u::unit_descriptor,
    &fw_dif_spec_nm_u::unit_descriptor,
    &fw_dif_spec_nm_pass_u::unit_descriptor,
    &fw_dif_spec_nm_offs_u::unit_descriptor,
    &fw_dif_spec_nm_offs_pass_u::unit_descriptor,
    &fw_dif_spec_nm_env_u::unit_descriptor,
    &fw_dif_spec_nm_env_pass_u::unit_descriptor,
    &fw_dif_spec_nm_offs_env_u::unit_descriptor,
    &fw_dif_spec_nm_offs_env_pass_u::unit_descriptor,
    &fw_dif_spec_nm_offs_no_env_pass_u::unit_descriptor,
    &fw_terrain_u::unit_descriptor,
    &fw_terrain_single_1l_pass_u::unit_descriptor,
    &fw_terrain_single_2l_pass_u::unit_descriptor,
    &fw_terrain_single_3l_pass_u::unit_descriptor,
    &fw_terrain_multi_1p_pass_u::unit_descriptor,
    &fw_terrain_multi_2p_pass_u::unit_descriptor,
    &fw_terrain_multi_3p_pass_u::unit_descriptor,
    &fw_untextured_u::unit_descriptor,
    &fw_untextured_pass_u::unit_descriptor,
    &fw_water_u::unit_descriptor,
    &fw_water_pass_u::unit_descriptor,
};

}  // namespace

const unit_descriptor_t *const *fw_effects_classes(uint32_t *count) {
    if (count) *count = uint32_t(sizeof CLASSES / sizeof CLASSES[0]);
    return CLASSES;
}

bool fw_effects_register() {
    unit_bank_t *bank = get_engine_ubank();
    if (!bank) {
        error("[game] No engine unit bank to register the game's effects with");
        return false;
    }
    if (!r_effect_register_directory(FW4_DIRECTORY)) return false;
    for (const unit_descriptor_t *d : CLASSES)
        if (!bank->register_class(d)) {
            error("[game] The unit bank refused the effect class '%s'", d->class_name->c_str());
            return false;
        }
    return true;
}

void fw_effects_unregister() {
    if (!r_effect_unregister_directory(FW4_DIRECTORY)) return;
    if (unit_bank_t *bank = get_engine_ubank())
        for (const unit_descriptor_t *d : CLASSES) bank->unregister_class(d);
}

}  // namespace quarn
