#include "game/world/attract_area.h"

namespace quarn {

namespace {

constexpr unit_enum_symbol_t species_by_value[] = {
    {attract_area_u::SPECIES_all, "SPECIES_all"},   {attract_area_u::SPECIES_deer, "SPECIES_deer"},
    {attract_area_u::SPECIES_bear, "SPECIES_bear"}, {attract_area_u::SPECIES_elk, "SPECIES_elk"},
    {attract_area_u::SPECIES_goat, "SPECIES_goat"}, {attract_area_u::SPECIES_buffalo, "SPECIES_buffalo"},
};
constexpr unit_enum_symbol_t species_by_name[] = {
    {attract_area_u::SPECIES_all, "SPECIES_all"},   {attract_area_u::SPECIES_bear, "SPECIES_bear"},
    {attract_area_u::SPECIES_buffalo, "SPECIES_buffalo"}, {attract_area_u::SPECIES_deer, "SPECIES_deer"},
    {attract_area_u::SPECIES_elk, "SPECIES_elk"},   {attract_area_u::SPECIES_goat, "SPECIES_goat"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM> species_domain{{0, 6, species_by_value, species_by_name}};

constexpr unit_enum_symbol_t resource_by_value[] = {
    {attract_area_u::RESOURCE_TYPE_food, "RESOURCE_TYPE_food"},
    {attract_area_u::RESOURCE_TYPE_water, "RESOURCE_TYPE_water"},
};
constexpr unit_enum_symbol_t resource_by_name[] = {
    {attract_area_u::RESOURCE_TYPE_food, "RESOURCE_TYPE_food"},
    {attract_area_u::RESOURCE_TYPE_water, "RESOURCE_TYPE_water"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM> resource_domain{{0, 2, resource_by_value, resource_by_name}};

}  // namespace

QRN_UNIT_DEFINE(attract_area_u, "attract_area", QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"),
                QRN_ATTR(m_species, UNIT_ATTR_ENUM, "species", &species_domain),
                QRN_ATTR(m_resource_type, UNIT_ATTR_ENUM, "resource_type", &resource_domain));

int32_t attract_area_u::get_category() const { return m_species == SPECIES_all ? ANY_CATEGORY : m_species; }

uint32_t attract_area_u::get_debug_color() const {
    return m_resource_type == RESOURCE_TYPE_water ? WATER_COLOUR : FOOD_COLOUR;
}

const ai_attract_area_t *attract_area_list_t::get_area(uint32_t index) const { return get_unit(index); }

attract_area_u *attract_area_list_t::get_unit(uint32_t index) const {
    return index < m_areas.get_count() ? m_areas[index].get() : nullptr;
}

bool attract_area_list_t::add(owner_ptr_ret_t<attract_area_u> area) {
    if (!area) return false;
    // Room first: a failed growth must not drop the holder with the area in it half-made.
    if (!m_areas.request_capacity(m_areas.get_count() + 1)) return false;  // the carrier disposes of it
    return m_areas.append(owner_ptr_t<attract_area_u>(std::move(area))) != nullptr;
}

}  // namespace quarn
