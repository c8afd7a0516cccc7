// "/effect/fw4/fw_dif_spec_nm_offs_env": an offset normal map with a highlight,
// reflecting the environment in its "default" pass ("no_env" binds no reflection).
#define NORMAL_MAP 1
#define OFFSET 1
#define SPECULAR 1
#include "fw_object.glsl"
