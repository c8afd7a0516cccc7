#pragma once
// quarn::unit_map_t: a two-array map keyed by units, with 32-bit values. The map
// neither counts nor owns the units it is keyed by.
#include <cstdint>

#include "qrncore/collections/map.h"

namespace quarn {

class unit_base_t;

using unit_map_t = map_t<unit_base_t *, uint32_t>;

}  // namespace quarn
