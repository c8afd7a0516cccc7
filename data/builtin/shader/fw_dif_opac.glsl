// "/effect/fw4/fw_dif_opac": a lit texture seen through where its alpha is low; the
// "tm0" pass moves its texture by "tmatrix".
#define OPACITY 1
#include "fw_object.glsl"
