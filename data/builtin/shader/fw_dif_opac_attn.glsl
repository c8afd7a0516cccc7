// "/effect/fw4/fw_dif_opac_attn": the opacity faded out with the distance from the
// camera by the "attenuation" texture.
#define OPACITY 1
#include "fw_object.glsl"
