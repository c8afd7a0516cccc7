#pragma once
// attract_area_u (unit type "attract_area"): a place that draws animals to food or
// water ("landscape.game.unit"). The placement's position is the centre and its scale
// the radius; species restricts the area to one places category of the animals
// (SPECIES_deer 1 ... SPECIES_buffalo 5, the categories' own indices) or opens it to
// all (SPECIES_all). The world keeps the areas in a list of their own
// (attract_area_list_t), which the AI world reads through its interfaces.
#include <cstdint>

#include "game/ai/mind/ai_attract_area.h"
#include "game/game_unit.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class attract_area_u : public game_unit_base_u, public ai_attract_area_t {
    QRN_UNIT_CLASS(attract_area_u, game_unit_base_u);

public:
    enum species_t : int32_t {
        SPECIES_all = 0,
        SPECIES_deer = 1,
        SPECIES_bear = 2,
        SPECIES_elk = 3,
        SPECIES_goat = 4,
        SPECIES_buffalo = 5,
    };
    enum resource_type_t : int32_t {
        RESOURCE_TYPE_food = 0,
        RESOURCE_TYPE_water = 1,
    };
    static constexpr uint32_t WATER_COLOUR = 0xff00ffffu;
    static constexpr uint32_t FOOD_COLOUR = 0xffff0000u;

    vec3_t get_centre() const override { return m_placement.position; }
    float get_radius() const override { return m_placement.scale; }
    int32_t get_resource_type() const override { return m_resource_type; }
    // The species' places category, or ANY_CATEGORY for SPECIES_all.
    int32_t get_category() const override;
    // 0xff00ffff for water, 0xffff0000 for food.
    uint32_t get_debug_color() const override;

    // Attributes.
    placement_scale_t m_placement;
    int32_t m_species = SPECIES_all;
    int32_t m_resource_type = RESOURCE_TYPE_food;
};

// The world's areas, owned, in the order they were added; what the AI world is
// linked to.
class attract_area_list_t : public ai_attract_area_list_t {
public:
    uint32_t get_area_count() const override { return m_areas.get_count(); }
    const ai_attract_area_t *get_area(uint32_t index) const override;
    attract_area_u *get_unit(uint32_t index) const;

    // Takes the area over; false (the area destroyed) when the list cannot grow.
    bool add(owner_ptr_ret_t<attract_area_u> area);
    // Destroys and releases every area.
    void clear() { m_areas.clear(); }

private:
    array_dyn_t<owner_ptr_t<attract_area_u>> m_areas;
};

}  // namespace quarn
