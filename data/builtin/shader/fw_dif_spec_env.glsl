// "/effect/fw4/fw_dif_spec_env": a lit texture with a highlight, reflecting the
// environment in its "default" pass ("no_env" binds no reflection).
#define SPECULAR 1
#include "fw_object.glsl"
