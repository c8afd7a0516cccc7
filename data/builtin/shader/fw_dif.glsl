// "/effect/fw4/fw_dif": a lit texture.
#include "fw_object.glsl"
