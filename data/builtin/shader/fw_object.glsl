// The objects of the family "/effect/fw4" (every class but the terrain and the water):
// a texture ("texture_sampler", or "texture" for the attenuated opacity) times the
// vertex colour, lit by the light, with a highlight (SPECULAR), a normal map
// (NORMAL_MAP, with an offset by its height in alpha: OFFSET), an environment
// reflection (when the pass binds "reflection_sampler"), a texture transform
// ("tmatrix") and a distance attenuation ("attenuation"), then fogged. What a class
// adds is named by its own file before it includes this one.
//
// Lighting is per pixel where the pass binds "transform.mv_inv" (paths 8 and 14),
// per vertex elsewhere, as the fixed pipeline would light on paths 1, 3 and 6.
#include "fw_common.glsl"

#if defined(BOUND_transform_mv_inv)
#define PER_PIXEL 1
#endif
#if defined(BOUND_texture_sampler) || defined(BOUND_texture)
#define TEXTURED 1
#endif
#if defined(PER_PIXEL) && defined(BOUND_normal_sampler) && defined(ATTR_v_tangent)
#define BUMPED 1
#endif
#if defined(BOUND_reflection_sampler)
#define REFLECTING 1
#endif

uniform mat4 tmatrix;
struct texgen_t {
    vec4 s;
    vec4 t;
};
uniform texgen_t es_attenuation_texgen;
uniform vec4 environment_factor;

#ifdef VERTEX_SHADER

layout(location = ATTR_v_position) in vec3 v_position;
layout(location = ATTR_v_normal) in vec3 v_normal;
#ifdef ATTR_v_color
layout(location = ATTR_v_color) in vec4 v_color;
#endif
#ifdef ATTR_v_texcoord
layout(location = ATTR_v_texcoord) in vec2 v_texcoord;
#endif
#ifdef ATTR_v_tangent
layout(location = ATTR_v_tangent) in vec4 v_tangent;
#endif

out vec4 vs_colour;
out vec2 vs_uv;
out vec2 vs_attenuation_uv;
out vec3 vs_eye;
out vec3 vs_normal;
out vec3 vs_light;
out vec3 vs_specular;
out float vs_fog;
#ifdef BUMPED
out vec3 vs_tangent;
out vec3 vs_bitangent;
#endif

void main() {
    gl_Position = fw_clip_position(v_position);
    vec3 eye = fw_eye_position(v_position);
    vec3 n = fw_eye_normal(v_normal);
    vs_eye = eye;
    vs_normal = n;
    vs_fog = fog_factor(-eye.z);
#ifdef ATTR_v_color
    vs_colour = v_color;
#else
    vs_colour = vec4(1.0);
#endif
#ifdef ATTR_v_texcoord
    vs_uv = v_texcoord;
#ifdef BOUND_tmatrix
    vs_uv = (tmatrix * vec4(v_texcoord, 0.0, 1.0)).xy;
#endif
#else
    vs_uv = vec2(0.0);
#endif
#ifdef BOUND_es_attenuation_texgen_s
    vs_attenuation_uv = vec2(dot(es_attenuation_texgen.s, vec4(eye, 1.0)), dot(es_attenuation_texgen.t, vec4(eye, 1.0)));
#else
    vs_attenuation_uv = vec2(0.5);
#endif
    vec3 l = fw_light_vector();
    vs_light = fw_light(n, l);
#ifdef SPECULAR
    vs_specular = fw_specular(n, l, normalize(-eye));
#else
    vs_specular = vec3(0.0);
#endif
#ifdef BUMPED
    vs_tangent = fw_eye_normal(v_tangent.xyz);
    vs_bitangent = cross(n, vs_tangent) * (v_tangent.w < 0.0 ? -1.0 : 1.0);
#endif
}

#endif

#ifdef FRAGMENT_SHADER

#ifdef BOUND_texture_sampler
uniform sampler2D texture_sampler;
#endif
#ifdef BOUND_texture
uniform sampler2D texture_;
#endif
uniform sampler2D normal_sampler;
uniform sampler2D reflection_sampler;
uniform sampler2D attenuation;

in vec4 vs_colour;
in vec2 vs_uv;
in vec2 vs_attenuation_uv;
in vec3 vs_eye;
in vec3 vs_normal;
in vec3 vs_light;
in vec3 vs_specular;
in float vs_fog;
#ifdef BUMPED
in vec3 vs_tangent;
in vec3 vs_bitangent;
#endif

out vec4 colour;

vec4 base_texture(vec2 uv) {
#if defined(BOUND_texture_sampler)
    return texture(texture_sampler, uv);
#elif defined(BOUND_texture)
    return texture(texture_, uv);
#else
    return vec4(1.0);
#endif
}

void main() {
    vec3 to_eye = normalize(-vs_eye);
    vec3 n = normalize(vs_normal);
    vec2 uv = vs_uv;
#ifdef BUMPED
    mat3 tbn = mat3(normalize(vs_tangent), normalize(vs_bitangent), n);
#ifdef OFFSET
    // The height in the normal map's alpha shifts the lookup along the view.
    float height = texture(normal_sampler, uv).a * 0.04 - 0.02;
    uv += height * (transpose(tbn) * to_eye).xy;
#endif
    n = normalize(tbn * (texture(normal_sampler, uv).xyz * 2.0 - 1.0));
#endif
    vec4 base = base_texture(uv) * vs_colour;
#ifdef PER_PIXEL
    vec3 l = fw_light_vector();
    vec3 lit = fw_light(n, l);
#ifdef SPECULAR
    vec3 highlight = fw_specular(n, l, to_eye);
#else
    vec3 highlight = vec3(0.0);
#endif
#else
    vec3 lit = vs_light;
    vec3 highlight = vs_specular;
#endif
    vec3 rgb = base.rgb * lit + highlight;
#ifdef REFLECTING
    // environment_factor: strength s in w, s times the fresnel share f in x, y, z; the
    // reflection weighs s (1 - f + f fresnel).
    vec3 r = reflect(-to_eye, n);
    vec3 world = mat3(transform.v_rot_inv) * r;
    vec3 mirrored = texture(reflection_sampler, fw_direction_uv(world)).rgb;
    float fresnel = pow(1.0 - max(dot(n, to_eye), 0.0), 5.0);
    float amount = clamp(environment_factor.w - environment_factor.x + environment_factor.x * fresnel, 0.0, 1.0);
    rgb = mix(rgb, mirrored, amount);
#endif
    float alpha = base.a;
#ifdef BOUND_attenuation
    alpha *= texture(attenuation, vs_attenuation_uv).a;
#endif
#ifdef OPACITY
    // Texels clear enough to see through leave the depth alone.
    if (alpha < 0.1) discard;
#else
    alpha = 1.0;
#endif
    colour = vec4(apply_fog(rgb, vs_fog), alpha);
}

#endif
