// What the programs of the effect family "/effect/fw4" share: the inputs the passes
// bind by name (transform, light) and lighting as both kinds of path do it. Light
// directions are in the camera's frame.
#include "ffp.glsl"

struct transform_t {
    mat4 mv;         // model to camera
    mat4 p;          // projection (fixed paths)
    mat4 mvp;        // model to clip space (programmable paths)
    mat4 mv_inv;     // camera to model (per-pixel lighting)
    mat4 v_rot_inv;  // the camera's rotation: camera to world directions
};
uniform transform_t transform;

struct light_t {
    vec4 ambient;
    vec4 diffuse;
    vec4 specular;  // w: the specular exponent
};
uniform light_t light;
// The way the light travels (from the sun toward the ground).
uniform vec3 es_light_direction;

// Path 8 hands the per-pixel light colours over at half their range (the passes
// scale them by FW_PATH8_LIGHT_SCALE, 0.5): they are taken back to it here.
#if PATH == 8 && defined(BOUND_transform_mv_inv)
#define LIGHT_RANGE 2.0
#else
#define LIGHT_RANGE 1.0
#endif

vec4 fw_clip_position(vec3 p) {
#ifdef BOUND_transform_mvp
    return transform.mvp * vec4(p, 1.0);
#else
    return transform.p * (transform.mv * vec4(p, 1.0));
#endif
}

vec3 fw_eye_position(vec3 p) { return (transform.mv * vec4(p, 1.0)).xyz; }

// A model direction in the camera's frame.
vec3 fw_eye_normal(vec3 n) {
#ifdef BOUND_transform_mv_inv
    return normalize(transpose(mat3(transform.mv_inv)) * n);
#else
    return normalize(mat3(transform.mv) * n);
#endif
}

// Toward the light, in the camera's frame.
vec3 fw_light_vector() {
#ifdef FIXED_PATH
    return normalize(ffp.light_direction.xyz);
#else
    return normalize(-es_light_direction);
#endif
}

vec3 fw_ambient() {
#ifdef FIXED_PATH
    return ffp.light_ambient.rgb;
#else
    return light.ambient.rgb * LIGHT_RANGE;
#endif
}

vec3 fw_diffuse() {
#ifdef FIXED_PATH
    return ffp.light_diffuse.rgb;
#else
    return light.diffuse.rgb * LIGHT_RANGE;
#endif
}

// False on a fixed path whose lighting is off: colours are then the vertices' own.
bool fw_lit() {
#ifdef FIXED_PATH
    return ffp.lighting != 0;
#else
    return true;
#endif
}

// Ambient plus diffuse for a normal (both in the camera's frame).
vec3 fw_light(vec3 n, vec3 l) {
    if (!fw_lit()) return vec3(1.0);
    return fw_ambient() + fw_diffuse() * max(dot(n, l), 0.0);
}

// Blinn's highlight; the exponent is the specular colour's fourth value. The fixed
// paths have no material exponent: they draw no highlight.
vec3 fw_specular(vec3 n, vec3 l, vec3 to_eye) {
#ifdef FIXED_PATH
    return vec3(0.0);
#else
    vec3 h = normalize(l + to_eye);
    float e = max(light.specular.w, 1.0);
    return light.specular.rgb * LIGHT_RANGE * pow(max(dot(n, h), 0.0), e) * step(0.0, dot(n, l));
#endif
}

// A direction of the world looked up in a latitude-longitude map (v 0 straight up).
vec2 fw_direction_uv(vec3 d) {
    d = normalize(d);
    return vec2(atan(d.x, -d.z) * 0.15915494 + 0.5, acos(clamp(d.y, -1.0, 1.0)) * 0.31830989);
}
