// "/effect/fw4/fw_terrain": the ground's texture layers blended by the layer weights
// the vertices carry, lit, and fogged.
//
// The single passes (single_1l, single_2l, single_3l) draw layers 0 up to their count
// at once: layer 1 over layer 0 by the alpha of "v.color0", layer 2 over both by the
// alpha of "v.color1". A multi pass (multi_1p, multi_2p, multi_3p) draws one layer,
// its own, under index 0: layer 0 whole, the others with the alpha of "v.color0" as
// their coverage (blended over what the pass before drew). A layer's texture
// coordinates are its transform applied to (u, v, 0, 1) of "v.texcoord": two rows on
// programmable paths, a matrix on fixed ones. The colour stream's red, green and blue
// (where "v.color0" reads it, slot 3) tint the ground twice over: 0.5 is white.
#include "fw_common.glsl"

#if defined(BOUND_texture_sampler_2)
#define LAYERS 3
#elif defined(BOUND_texture_sampler_1)
#define LAYERS 2
#else
#define LAYERS 1
#endif
#if defined(PASS_multi_2p) || defined(PASS_multi_3p)
#define COVERAGE 1
#endif
#if defined(BOUND_transform_mv_inv)
#define PER_PIXEL 1
#endif
#if defined(PER_PIXEL) && defined(ATTR_v_tangent)
#define BUMPED 1
#endif

#ifdef BOUND_layer_transform_0
uniform mat4 layer_transform[3];
vec2 layer_uv(int i, vec2 uv) { return (layer_transform[i] * vec4(uv, 0.0, 1.0)).xy; }
#else
struct layer_t {
    vec4 column[2];
};
uniform layer_t layer_transform[3];
vec2 layer_uv(int i, vec2 uv) {
    vec4 p = vec4(uv, 0.0, 1.0);
    return vec2(dot(layer_transform[i].column[0], p), dot(layer_transform[i].column[1], p));
}
#endif

#ifdef VERTEX_SHADER

layout(location = ATTR_v_position) in vec3 v_position;
layout(location = ATTR_v_normal) in vec3 v_normal;
layout(location = ATTR_v_texcoord) in vec2 v_texcoord;
#ifdef ATTR_v_color0
layout(location = ATTR_v_color0) in vec4 v_color0;
#endif
#ifdef ATTR_v_color1
layout(location = ATTR_v_color1) in vec4 v_color1;
#endif
#ifdef ATTR_v_tangent
layout(location = ATTR_v_tangent) in vec4 v_tangent;
#endif

out vec2 vs_uv[3];
out vec2 vs_weights;  // the alphas of colour 0 and colour 1
out vec3 vs_tint;
out vec3 vs_eye;
out vec3 vs_normal;
out vec3 vs_light;
out float vs_fog;
#ifdef BUMPED
out vec3 vs_tangent;
out vec3 vs_bitangent;
#endif

void main() {
    gl_Position = fw_clip_position(v_position);
    vs_eye = fw_eye_position(v_position);
    vs_normal = fw_eye_normal(v_normal);
    vs_fog = fog_factor(-vs_eye.z);
    for (int i = 0; i < LAYERS; ++i) vs_uv[i] = layer_uv(i, v_texcoord);
    for (int i = LAYERS; i < 3; ++i) vs_uv[i] = vec2(0.0);
    vs_weights = vec2(0.0);
    vs_tint = vec3(1.0);
#ifdef ATTR_v_color0
    vs_weights.x = v_color0.a;
#if ATTR_v_color0 == 3
    vs_tint = v_color0.rgb * 2.0;
#endif
#endif
#ifdef ATTR_v_color1
    vs_weights.y = v_color1.a;
#endif
    vs_light = fw_light(vs_normal, fw_light_vector());
#ifdef BUMPED
    vs_tangent = fw_eye_normal(v_tangent.xyz);
    vs_bitangent = cross(vs_normal, vs_tangent) * (v_tangent.w < 0.0 ? -1.0 : 1.0);
#endif
}

#endif

#ifdef FRAGMENT_SHADER

uniform sampler2D texture_sampler[3];
uniform sampler2D normal_sampler[3];

in vec2 vs_uv[3];
in vec2 vs_weights;
in vec3 vs_tint;
in vec3 vs_eye;
in vec3 vs_normal;
in vec3 vs_light;
in float vs_fog;
#ifdef BUMPED
in vec3 vs_tangent;
in vec3 vs_bitangent;
#endif

out vec4 colour;

void main() {
    vec4 ground = texture(texture_sampler[0], vs_uv[0]);
    vec3 bump = texture(normal_sampler[0], vs_uv[0]).xyz;
#if LAYERS >= 2
    ground = mix(ground, texture(texture_sampler[1], vs_uv[1]), vs_weights.x);
    bump = mix(bump, texture(normal_sampler[1], vs_uv[1]).xyz, vs_weights.x);
#endif
#if LAYERS >= 3
    ground = mix(ground, texture(texture_sampler[2], vs_uv[2]), vs_weights.y);
    bump = mix(bump, texture(normal_sampler[2], vs_uv[2]).xyz, vs_weights.y);
#endif
#ifdef PER_PIXEL
    vec3 n = normalize(vs_normal);
#ifdef BUMPED
    n = normalize(mat3(normalize(vs_tangent), normalize(vs_bitangent), n) * (bump * 2.0 - 1.0));
#endif
    vec3 lit = fw_light(n, fw_light_vector());
#else
    vec3 lit = vs_light;
#endif
    vec3 rgb = ground.rgb * vs_tint * lit;
#ifdef COVERAGE
    float alpha = vs_weights.x;
#else
    float alpha = 1.0;
#endif
    colour = vec4(apply_fog(rgb, vs_fog), alpha);
}

#endif
