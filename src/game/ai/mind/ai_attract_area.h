#pragma once
// What the AI world reads of the map's attraction areas (feeding and drinking
// places). The map objects implement these two interfaces; the AI world only holds
// the list it is linked to, it never owns areas.
#include <cstdint>

#include "qrncore/math/vec.h"

namespace quarn {

class ai_attract_area_t {
public:
    // Resource types.
    static constexpr int32_t FOOD = 0;
    static constexpr int32_t WATER = 1;
    // An area open to every places category.
    static constexpr int32_t ANY_CATEGORY = -1;

    virtual ~ai_attract_area_t() = default;
    // Centre and radius (the placement's position and scale).
    virtual vec3_t get_centre() const = 0;
    virtual float get_radius() const = 0;
    virtual int32_t get_resource_type() const = 0;
    // The places category of the animals allowed here, or ANY_CATEGORY.
    virtual int32_t get_category() const = 0;
    // Colour word of the debug view.
    virtual uint32_t get_debug_color() const = 0;
};

class ai_attract_area_list_t {
public:
    virtual ~ai_attract_area_list_t() = default;
    virtual uint32_t get_area_count() const = 0;
    // Null for an index out of range.
    virtual const ai_attract_area_t *get_area(uint32_t index) const = 0;
};

}  // namespace quarn
