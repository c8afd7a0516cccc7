#include "game/visuals/shaders/fw_packets.h"


namespace quarn {

QRN_UNIT_DEFINE(fw4pp_model_u, "fw4pp_model", QRN_ATTR(matrix, UNIT_ATTR_MATRIX, "matrix"),
                QRN_ATTR(matrix_inv, UNIT_ATTR_MATRIX, "matrix_inv"));
QRN_UNIT_DEFINE(fw4pp_light_u, "fw4pp_light", QRN_ATTR(ambient, UNIT_ATTR_VEC4, "ambient"),
                QRN_ATTR(diffuse, UNIT_ATTR_VEC4, "diffuse"), QRN_ATTR(specular, UNIT_ATTR_VEC4, "specular"),
                QRN_ATTR(es_direction, UNIT_ATTR_VEC4, "es_direction"));
QRN_UNIT_DEFINE(fw4pp_terrain_uv_u, "fw4pp_terrain_uv");
QRN_UNIT_DEFINE(fw4pp_texture_transform_u, "fw4pp_texture_transform");
QRN_UNIT_DEFINE(fw4pp_light_modulator_u, "fw4pp_light_modulator");

namespace {

// The initial values of the packet classes, for slots that hold none.
const mat4_t IDENTITY = mat4_t::identity();
const vec4_t ZERO{0, 0, 0, 0};
const vec4_t ONES{1, 1, 1, 1};
const vec4_t LIGHT_AMBIENT{0, 0, 0, 0};
const vec4_t LIGHT_DIFFUSE{1, 1, 1, 0};
const vec4_t LIGHT_SPECULAR{0.5f, 0.5f, 0.5f, 0};
const vec4_t LIGHT_DIRECTION{0, 0, -1, 0};

}  // namespace

void fw4pp_model_u::set_matrix_and_inverse(const placement_scale_t &placement) {
    placement.compute_matrix(&matrix);
    placement.compute_inverse_matrix(&matrix_inv);
}

owner_ptr_ret_t<fw4pp_model_u> create_fw4pp_model_unit() {
    unit_system_t *system = unit_system_t::get_default();
    if (!system) return {};
    owner_ptr_ret_t<fw4pp_model_u> unit = fw4pp_model_u::create(system);
    if (unit && !unit->is_alive()) return {};
    return unit;
}

fw_packet_view_t::fw_packet_view_t(const r_proto_t *proto) {
    const pp_camera_u *c = packet_at<pp_camera_u>(proto, FW_SLOT_CAMERA);
    projection = c ? &c->projection : &IDENTITY;
    view = c ? &c->view : &IDENTITY;
    camera = c ? &c->camera : &IDENTITY;
    const fw4pp_model_u *m = packet_at<fw4pp_model_u>(proto, FW_SLOT_MODEL);
    model = m ? &m->matrix : &IDENTITY;
    model_inv = m ? &m->matrix_inv : &IDENTITY;
    const pp_fog_u *f = packet_at<pp_fog_u>(proto, FW_SLOT_FOG);
    fog_colour = f ? &f->colour : &ZERO;
    const fw4pp_light_u *l = packet_at<fw4pp_light_u>(proto, FW_SLOT_LIGHT);
    light_ambient = l ? &l->ambient : &LIGHT_AMBIENT;
    light_diffuse = l ? &l->diffuse : &LIGHT_DIFFUSE;
    light_specular = l ? &l->specular : &LIGHT_SPECULAR;
    light_direction = l ? &l->es_direction : &LIGHT_DIRECTION;
    const fw4pp_terrain_uv_u *t = packet_at<fw4pp_terrain_uv_u>(proto, FW_SLOT_TERRAIN_UV);
    terrain_columns = t ? t->columns : nullptr;
    const fw4pp_texture_transform_u *x = packet_at<fw4pp_texture_transform_u>(proto, FW_SLOT_TEXTURE_TRANSFORM);
    texture_transform = x ? &x->matrix : &IDENTITY;
    const fw4pp_light_modulator_u *mod = packet_at<fw4pp_light_modulator_u>(proto, FW_SLOT_LIGHT_MODULATOR);
    modulator = mod ? &mod->modulator : &ONES;
}

}  // namespace quarn
