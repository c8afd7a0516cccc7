// "/effect/fw4/fw_dif_spec_nm_env": a normal map with a highlight, reflecting the
// environment.
#define NORMAL_MAP 1
#define SPECULAR 1
#include "fw_object.glsl"
