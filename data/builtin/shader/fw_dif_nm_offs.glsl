// "/effect/fw4/fw_dif_nm_offs": a normal map whose height (its alpha) shifts the
// texture along the view.
#define NORMAL_MAP 1
#define OFFSET 1
#include "fw_object.glsl"
