// "/effect/fw4/fw_untextured": the lit vertex colour alone.
#include "fw_object.glsl"
