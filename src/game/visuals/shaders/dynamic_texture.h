#pragma once
// A dynamic texture: a texture whose texels the game computes every frame. The shader
// library keeps the live ones as updaters (shaderlib_add_updater) and updates them
// once per frame with the game time; their owners set their parameters by number.
#include <cstdint>

#include "qrncore/math/vec.h"
#include "qrncore/system/host_object.h"

namespace quarn {

class dynamic_texture_t : public host_object_t {
public:
    virtual ~dynamic_texture_t() = default;
    // Computes the texels for the time in seconds.
    virtual void update(float time) = 0;
    // Sets a number parameter / a vector parameter; an identifier the texture does not
    // know is logged and changes nothing.
    virtual void set_scalar_parameter(uint32_t id, float value) = 0;
    virtual void set_vector_parameter(uint32_t id, const vec4_t &value) = 0;
};

}  // namespace quarn
