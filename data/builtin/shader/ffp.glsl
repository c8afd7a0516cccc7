// What every program of a prototype shares: the renderer's fixed-function state of
// render paths 1, 3 and 6 ("ffp"), and fog.
//
// The renderer puts before every program (docs/graphics.md, "Programs"):
//   #version 330 core, VERTEX_SHADER or FRAGMENT_SHADER, PATH (the render path),
//   PASS_<pass name>, FLAGS (the material's flags), BOUND_<input> for every input
//   the pass bound and ATTR_<attribute> <slot> for its attributes ("v.color0" ->
//   ATTR_v_color0, "layer_transform[1].column[0]" -> BOUND_layer_transform_1_column_0).
//
// Matrices arrive as the engine keeps them (column vectors): m * v transforms v. Fog
// is exponential squared over the depth in front of the eye, the fog colour's fourth
// value its density; like the fixed pipeline's, it is computed at the vertices and
// carried across the triangle (per pixel it would cost a software rasteriser more
// than the rest of the shading).

#if PATH == 1 || PATH == 3 || PATH == 6
#define FIXED_PATH 1
#endif

// Light 0, fog and texture stages as the passes of the fixed paths set them on the
// context (r_context_t::set_light, set_fog, set_texture_stage, ...).
struct ffp_t {
    int lighting;
    vec4 light_ambient;
    vec4 light_diffuse;
    vec4 light_specular;
    vec4 light_direction;  // toward the light
    int fog;               // 0 off, else on with fog_color
    vec4 fog_color;
    int texture_stages;    // stages set up (environment mapping: 3)
    vec4 texture_constant;
    int texture_mode;
};
uniform ffp_t ffp;

uniform vec4 fog_color;

// 1 where nothing of the fog shows, toward 0 far away.
float fog_factor(float depth) {
#ifdef FIXED_PATH
    if (ffp.fog == 0) return 1.0;
    float d = ffp.fog_color.w * depth;
    return exp(-d * d);
#elif defined(BOUND_fog_color)
    float d = fog_color.w * depth;
    return exp(-d * d);
#else
    return 1.0;
#endif
}

vec3 fog_colour() {
#ifdef FIXED_PATH
    return ffp.fog_color.rgb;
#else
    return fog_color.rgb;
#endif
}

// The colour seen through the fog factor of fog_factor.
vec3 apply_fog(vec3 colour, float factor) { return mix(fog_colour(), colour, factor); }

