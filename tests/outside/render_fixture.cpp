#include "render_fixture.h"

#include <cstring>

namespace quarn::test {

QRN_UNIT_DEFINE(probe_pass_u, "probe_pass");
QRN_UNIT_DEFINE(probe_u, "probe");
QRN_UNIT_DEFINE(refusing_pass_u, "refusing_pass");

owner_ptr_ret_t<effect_pass_u> probe_u::create_pass(const char *name) {
    if (strcmp(name, "default") == 0 || strcmp(name, "other") == 0) return create_pass_unit(probe_pass_u::unit_descriptor);
    if (strcmp(name, "refuse") == 0) return create_pass_unit(refusing_pass_u::unit_descriptor);
    return {};
}

bool probe_pass_u::set_up(r_context_t *context) {
    set_up_path = r_effect_get_path();
    config.queue = queue;
    return vertex_attribute(context, "v.position", 0) &&
           vertex_uniform(context, "camera.p", effect_packet_param<EFFECT_PARAM_MATRIX, pp_camera_u, &pp_camera_u::projection>(0)) &&
           fragment_uniform(context, "fog", effect_packet_param<EFFECT_PARAM_FLOAT4, pp_fog_u, &pp_fog_u::colour>(2, EFFECT_PARAM_ONES)) &&
           vertex_uniform(context, "counter", effect_pass_param<EFFECT_PARAM_FLOAT3, probe_pass_u, &probe_pass_u::counter>()) &&
           texture_sampler(context, "texture");
}

void probe_pass_u::prepare_parameters(r_proto_t *) { counter.x += 1.0f; }

void probe_pass_u::vertex_state_parametrize(r_context_t *context, r_proto_t *proto) {
    effect_pass_u::vertex_state_parametrize(context, proto);
    context->set_lighting(true);
}

}  // namespace quarn::test
