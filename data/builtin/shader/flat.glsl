// The renderer's own drawing: the UI's images and glyph runs, and debug lines. A
// vertex colour times a texture (white where nothing is textured), positions taken
// through one matrix (the UI's are already in clip space).

uniform mat4 flat_matrix;

#ifdef VERTEX_SHADER

layout(location = 0) in vec3 v_position;
layout(location = 3) in vec4 v_color;
layout(location = 8) in vec2 v_texcoord;

out vec4 vs_colour;
out vec2 vs_uv;

void main() {
    gl_Position = flat_matrix * vec4(v_position, 1.0);
    vs_colour = v_color;
    vs_uv = v_texcoord;
}

#endif

#ifdef FRAGMENT_SHADER

uniform sampler2D flat_texture;

in vec4 vs_colour;
in vec2 vs_uv;

out vec4 colour;

void main() { colour = vs_colour * texture(flat_texture, vs_uv); }

#endif
