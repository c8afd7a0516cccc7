// The terrain passes of fw_terrain: layers drawn at once (single_*) or one by one
// (multi_*), each layer with its texture, its normal map and its texture transform.
#include <cstdio>

#include "game/visuals/shaders/fw_families.h"
#include "outside/qrnshared/material.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(fw_terrain_pass_shared_u, "fw_terrain_pass_shared");
QRN_UNIT_DEFINE(fw_terrain_single_1l_pass_u, "fw_terrain_single_1l_pass");
QRN_UNIT_DEFINE(fw_terrain_single_2l_pass_u, "fw_terrain_single_2l_pass");
QRN_UNIT_DEFINE(fw_terrain_single_3l_pass_u, "fw_terrain_single_3l_pass");
QRN_UNIT_DEFINE(fw_terrain_multi_1p_pass_u, "fw_terrain_multi_1p_pass");
QRN_UNIT_DEFINE(fw_terrain_multi_2p_pass_u, "fw_terrain_multi_2p_pass");
QRN_UNIT_DEFINE(fw_terrain_multi_3p_pass_u, "fw_terrain_multi_3p_pass");

namespace {

using terrain_t = fw_terrain_pass_shared_u;

template <int L, int C>
const float *layer_column(const unit_base_t *u) {
    return &static_cast<const terrain_t *>(u)->layer_columns[L][C].x;
}

template <int L>
const float *layer_matrix(const unit_base_t *u) {
    return static_cast<const terrain_t *>(u)->layer_matrix[L].m;
}

using locate_t = const float *(*)(const unit_base_t *);
constexpr locate_t COLUMNS[3][2] = {{&layer_column<0, 0>, &layer_column<0, 1>},
                                    {&layer_column<1, 0>, &layer_column<1, 1>},
                                    {&layer_column<2, 0>, &layer_column<2, 1>}};
constexpr locate_t MATRICES[3] = {&layer_matrix<0>, &layer_matrix<1>, &layer_matrix<2>};

}  // namespace

bool fw_terrain_pass_shared_u::bind_family(r_context_t *context) {
    shaderlib_set_pass_queue(config, 0);
    const uint32_t drawn = layers_drawn();
    const bool alternate = (config.flags & FW_TERRAIN_ALT_COLOUR) != 0;
    bool ok = vertex_attribute(context, "v.position", FW_ATTR_POSITION) &&
              vertex_attribute(context, "v.normal", FW_ATTR_NORMAL) &&
              vertex_attribute(context, "v.texcoord", FW_ATTR_TEXCOORD);
    if (drawn == 3) {
        ok = vertex_attribute(context, "v.color0", FW_ATTR_COLOR) && vertex_attribute(context, "v.color1", FW_ATTR_COLOR1) &&
             ok;
    } else {
        ok = vertex_attribute(context, "v.color0", alternate && drawn != 2 ? FW_ATTR_COLOR1 : FW_ATTR_COLOR) && ok;
    }
    ok = bind_transform(context) && bind_lighting(context) && bind_fog(context) && ok;

    for (uint32_t index = 0; index < drawn; ++index) {
        // A multi pass binds its own layer's values under index 0.
        const uint32_t layer = own_layer() >= 0 ? uint32_t(own_layer()) : index;
        char name[64];
        snprintf(name, sizeof name, "texture_sampler[%u]", index);
        ok = texture_sampler(context, name) && ok;
        snprintf(name, sizeof name, "normal_sampler[%u]", index);
        ok = texture_sampler(context, name) && ok;
        if (fixed_vertex) {
            snprintf(name, sizeof name, "layer_transform[%u]", index);
            ok = vertex_uniform(context, name, effect_pass_param(EFFECT_PARAM_MATRIX, MATRICES[layer])) && ok;
        } else {
            for (uint32_t c = 0; c < 2; ++c) {
                snprintf(name, sizeof name, "layer_transform[%u].column[%u]", index, c);
                ok = vertex_uniform(context, name, effect_pass_param(EFFECT_PARAM_FLOAT4, COLUMNS[layer][c])) && ok;
            }
        }
    }
    return ok;
}

void fw_terrain_pass_shared_u::prepare_parameters(r_proto_t *proto) {
    const fw_packet_view_t p(proto);
    prepare_basic(p);
    for (uint32_t l = 0; l < 3; ++l) {
        for (uint32_t c = 0; c < 2; ++c) layer_columns[l][c] = p.terrain_columns ? p.terrain_columns[l][c] : vec4_t{};
        mat4_t &m = layer_matrix[l];
        m = mat4_t::identity();
        for (int col = 0; col < 4; ++col) {
            m.at(0, col) = layer_columns[l][0][col];
            m.at(1, col) = layer_columns[l][1][col];
        }
    }
    if (fixed_vertex && path != 6) light_ambient = {};
}

}  // namespace quarn
