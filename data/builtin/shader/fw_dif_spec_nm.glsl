// "/effect/fw4/fw_dif_spec_nm": a normal map with a highlight.
#define NORMAL_MAP 1
#define SPECULAR 1
#include "fw_object.glsl"
