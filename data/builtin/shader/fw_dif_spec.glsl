// "/effect/fw4/fw_dif_spec": a lit texture with a highlight.
#define SPECULAR 1
#include "fw_object.glsl"
