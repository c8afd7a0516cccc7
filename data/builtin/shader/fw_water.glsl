// "/effect/fw4/fw_water": the water's colour, lit per vertex, with a reflection that
// grows toward grazing angles, see-through by its base opacity, and fogged.
//
// On the programmable paths the surface's normal comes from the wave texture
// ("normal_sampler", "/procedural/water_noise.tobj": normals with z up across the
// texture) at the texture coordinates times the material's tiles
// ("water.tex_coord_0_matrix_u", "_v"); "reflection_sampler" is looked up by the
// reflected view as a latitude-longitude map of the sky; "reflection_factor" gives
// the reflection's colour (r x specular) and its fresnel share (w). On the fixed
// paths the material's texture, times the water colour the pass set as the texture
// constant (texture mode 14), is lit per vertex ("texture_sampler"), and paths 3 and 6
// add the "fresnel_sampler" looked up by "water.fresnel_matrix" (the camera's
// rotation) applied to the view.
#include "fw_common.glsl"

struct water_t {
    vec3 ws_eye_position;
    vec3 water_color;
    vec4 tex_coord_0_matrix_u;
    vec4 tex_coord_0_matrix_v;
    mat4 tex_coord_0_matrix;
    mat4 fresnel_matrix;
};
uniform water_t water;
uniform vec4 base_opacity;
uniform vec4 reflection_factor;

#ifdef VERTEX_SHADER

layout(location = ATTR_v_position) in vec3 v_position;
layout(location = ATTR_v_normal) in vec3 v_normal;
#ifdef ATTR_v_color
layout(location = ATTR_v_color) in vec4 v_color;
#endif
layout(location = ATTR_v_texcoord) in vec2 v_texcoord;

out vec2 vs_uv;
out vec3 vs_eye;
out vec3 vs_normal;
out vec3 vs_light;
out vec4 vs_colour;
out float vs_fog;

void main() {
    gl_Position = fw_clip_position(v_position);
    vs_eye = fw_eye_position(v_position);
    vs_fog = fog_factor(-vs_eye.z);
    vs_normal = fw_eye_normal(v_normal);
    vec4 uv = vec4(v_texcoord, 0.0, 1.0);
#if defined(BOUND_water_tex_coord_0_matrix)
    vs_uv = (water.tex_coord_0_matrix * uv).xy;
#else
    vs_uv = vec2(dot(water.tex_coord_0_matrix_u, uv), dot(water.tex_coord_0_matrix_v, uv));
#endif
    vs_light = fw_light(vs_normal, fw_light_vector());
#ifdef ATTR_v_color
    vs_colour = v_color;
#else
    vs_colour = vec4(1.0);
#endif
}

#endif

#ifdef FRAGMENT_SHADER

uniform sampler2D texture_sampler;
uniform sampler2D normal_sampler;
uniform sampler2D reflection_sampler;
uniform sampler2D fresnel_sampler;

in vec2 vs_uv;
in vec3 vs_eye;
in vec3 vs_normal;
in vec3 vs_light;
in vec4 vs_colour;
in float vs_fog;

out vec4 colour;

void main() {
    vec3 to_eye = normalize(-vs_eye);
    vec3 n = normalize(vs_normal);
#if defined(BOUND_normal_sampler)
    // The wave texture's slopes tilt the surface's normal; its x runs along the
    // surface's u, its y along v.
    vec3 wave = texture(normal_sampler, vs_uv).xyz * 2.0 - 1.0;
    vec3 u_axis = normalize(cross(n, vec3(0.0, 0.0, 1.0)) + vec3(1e-4, 0.0, 0.0));
    vec3 v_axis = cross(u_axis, n);
    n = normalize(u_axis * wave.x + v_axis * wave.y + n * max(wave.z, 0.05));
#endif
    float fresnel = pow(1.0 - max(dot(n, to_eye), 0.0), 5.0);
#if defined(FIXED_PATH)
    vec3 rgb = texture(texture_sampler, vs_uv).rgb * vs_light;
    if (ffp.texture_mode == 14) rgb *= ffp.texture_constant.rgb;
    float alpha = ffp.texture_mode == 14 ? ffp.texture_constant.a : base_opacity.a;
#if defined(BOUND_fresnel_sampler)
    vec3 view = (water.fresnel_matrix * vec4(-to_eye, 0.0)).xyz;
    rgb = mix(rgb, texture(fresnel_sampler, fw_direction_uv(reflect(view, vec3(0.0, 1.0, 0.0)))).rgb, fresnel * 0.5);
#endif
#else
    vec3 rgb = water.water_color * vs_light * vs_colour.rgb;
    vec3 mirrored = texture(reflection_sampler, fw_direction_uv(reflect(-to_eye, n))).rgb;
    rgb += mirrored * reflection_factor.rgb * mix(1.0, fresnel, reflection_factor.w);
    float alpha = clamp(base_opacity.a + fresnel * (1.0 - base_opacity.a), 0.0, 1.0);
#endif
    colour = vec4(apply_fog(rgb, vs_fog), alpha);
}

#endif
