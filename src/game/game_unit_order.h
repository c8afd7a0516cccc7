#pragma once
// The order in which the game module registers its unit types, and the abstract bases
// it never registers (they stand only as parents). A type that is in neither list is
// not the module's to register: resource types come with their loaders, the model
// library and the shader effects register their own.
#include <cstdint>

namespace quarn {

inline constexpr uint32_t GAME_UNIT_TYPE_COUNT = 81;
inline constexpr uint32_t GAME_ABSTRACT_UNIT_COUNT = 8;

// Type names, as unit files name them.
extern const char *const game_unit_order[GAME_UNIT_TYPE_COUNT];
extern const char *const game_abstract_units[GAME_ABSTRACT_UNIT_COUNT];

// The place of the type name in game_unit_order, or -1.
int32_t game_unit_order_index(const char *type_name);
bool game_unit_is_abstract_base(const char *type_name);

}  // namespace quarn
