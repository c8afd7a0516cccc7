// "/effect/fw4/fw_dif_nm": a lit texture over a normal map.
#define NORMAL_MAP 1
#include "fw_object.glsl"
