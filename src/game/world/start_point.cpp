#include "game/world/start_point.h"

namespace quarn {

namespace {

constexpr unit_enum_symbol_t category_by_value[] = {
    {start_point_u::CATEGORY_hunter, "CATEGORY_hunter"},
    {start_point_u::CATEGORY_animal, "CATEGORY_animal"},
};
constexpr unit_enum_symbol_t category_by_name[] = {
    {start_point_u::CATEGORY_animal, "CATEGORY_animal"},
    {start_point_u::CATEGORY_hunter, "CATEGORY_hunter"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM> category_domain{{0, 2, category_by_value, category_by_name}};
constexpr unit_attr_t<UNIT_ATTR_FLOAT> view_limit_domain{{0.0f, 180.0f}};

}  // namespace

QRN_UNIT_DEFINE(start_point_u, "start_point", QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"),
                QRN_ATTR(m_category, UNIT_ATTR_ENUM, "category", &category_domain),
                QRN_ATTR(m_view_limit, UNIT_ATTR_FLOAT, "view_limit", &view_limit_domain));

}  // namespace quarn
