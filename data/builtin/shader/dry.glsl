// "/effect/generic/dry": simple geometry (marks, particles, decals, shadows, rain and
// snow) without lighting: the vertex colour ("v.color", flag 0x1) times the texture
// (flag 0x2; the pass's sampler "texture" is "texture_" here, the GLSL function of
// that name being reserved), fogged (flag 0x10) in the colour the pass chose.
// Texture coordinates come from "v.tex_coord_0", or are made: planar in the model's
// x and z (flag 0x1000: "texgen_0.gen_x", "texgen_0.gen_y" applied to the position)
// or projected (flag 0x2000: "texgen_0.gen_matrix" applied to the position in the
// camera's frame, divided by its w).
#include "ffp.glsl"

struct transform_t {
    mat4 mvp_matrix;
    mat4 p_matrix;
    mat4 mv_matrix;
};
uniform transform_t transform;

struct texgen_t {
    vec4 gen_x;
    vec4 gen_y;
    mat4 gen_matrix;
};
uniform texgen_t texgen_0;

#ifdef VERTEX_SHADER

layout(location = ATTR_v_position) in vec3 v_position;
#ifdef ATTR_v_color
layout(location = ATTR_v_color) in vec4 v_color;
#endif
#ifdef ATTR_v_tex_coord_0
layout(location = ATTR_v_tex_coord_0) in vec2 v_tex_coord_0;
#endif

out vec4 vs_colour;
out vec3 vs_uvq;
out float vs_fog;

void main() {
    vec4 p = vec4(v_position, 1.0);
#ifdef BOUND_transform_mvp_matrix
    gl_Position = transform.mvp_matrix * p;
#else
    gl_Position = transform.p_matrix * (transform.mv_matrix * p);
#endif
#ifdef BOUND_transform_mv_matrix
    vec4 eye = transform.mv_matrix * p;
    vs_fog = fog_factor(-eye.z);
#else
    vec4 eye = vec4(0.0, 0.0, 0.0, 1.0);
    vs_fog = 1.0;
#endif
#ifdef ATTR_v_color
    vs_colour = v_color;
#else
    vs_colour = vec4(1.0);
#endif
#if defined(BOUND_texgen_0_gen_x)
    vs_uvq = vec3(dot(texgen_0.gen_x, p), dot(texgen_0.gen_y, p), 1.0);
#elif defined(BOUND_texgen_0_gen_matrix)
    vec4 t = texgen_0.gen_matrix * eye;
    vs_uvq = vec3(t.xy, t.w);
#elif defined(ATTR_v_tex_coord_0)
    vs_uvq = vec3(v_tex_coord_0, 1.0);
#else
    vs_uvq = vec3(0.0, 0.0, 1.0);
#endif
}

#endif

#ifdef FRAGMENT_SHADER

#ifdef BOUND_texture
uniform sampler2D texture_;
#endif

in vec4 vs_colour;
in vec3 vs_uvq;
in float vs_fog;

out vec4 colour;

void main() {
    vec4 c = vs_colour;
#ifdef BOUND_texture
    c *= texture(texture_, vs_uvq.xy / (vs_uvq.z != 0.0 ? vs_uvq.z : 1.0));
#endif
#if (FLAGS & 16) != 0
    c.rgb = apply_fog(c.rgb, vs_fog);
#endif
    colour = c;
}

#endif
