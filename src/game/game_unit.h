#pragma once
// The parents of the map's game units: game_unit_base_u (no name) and game_unit_u
// (named). They add no attributes; they give map objects one type to test with
// inherits_from and two operations of their own, which the world calls for every game
// unit of a map: init_unit once the map's units are loaded (a false result fails the
// map's unit initialisation) and cleanup_unit before they are released. Neither type
// is registered with the unit bank; both can be created and cloned.
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class game_unit_base_u : public unit_base_t {
    QRN_UNIT_CLASS(game_unit_base_u, unit_base_t);

public:
    virtual bool init_unit();
    virtual void cleanup_unit();
};

class game_unit_u : public unit_t {
    QRN_UNIT_CLASS(game_unit_u, unit_t);

public:
    virtual bool init_unit();
    virtual void cleanup_unit();
};

}  // namespace quarn
