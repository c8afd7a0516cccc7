#pragma once
// Value tests and stores for code that has settled the class test itself: a reader
// that made the unit from its class and found the attribute in that class's tables
// or its parents'. unit_base_t::check_value and set_value are the class test followed
// by these, so the results and the stores are the same; only the test of the unit's
// class (a walk up its descriptors, for every value) is left out. The unit must be of
// the attribute's class or of one derived from it.
#include "qrncore/api.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class unit_base_t;

QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, float value);
QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, const vec2_t &value);
QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, const vec3_t &value);
QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, const vec4_t &value);
// Integers of every width, widened as check_value widens them.
QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, int64_t value);
QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, uint64_t value);
QRNCORE_API unit_check_result_t check_known_value(const unit_attribute_t *a, unit_base_t *value);

QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, float value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, const vec2_t &value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, const vec3_t &value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, const vec4_t &value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, int32_t value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, int64_t value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, uint32_t value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, uint64_t value);
QRNCORE_API bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value);

}  // namespace quarn
