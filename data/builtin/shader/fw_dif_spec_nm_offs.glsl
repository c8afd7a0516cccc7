// "/effect/fw4/fw_dif_spec_nm_offs": an offset normal map with a highlight.
#define NORMAL_MAP 1
#define OFFSET 1
#define SPECULAR 1
#include "fw_object.glsl"
