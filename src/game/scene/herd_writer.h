#pragma once
// The herd writer of the random missions: for each species asked for, a herd of
// animal entries written into the mission's animal object, shared among the species'
// genders by their "herd_share", around the start points of the map (the first animal
// at the start point nearest the centre, the others at random start points around it,
// following it), with starting needs by the hour of the day, a size, a weight and a
// score, and antlers for antlered kinds (docs/scene.md, "Herds").
#include <cstdint>

#include "game/scene/species_curve.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"

namespace quarn {

class def_obj_t;
class def_pool_t;
class randomizer_t;

// One species of a random mission and the number of its animals.
struct herd_request_t {
    const char *species = nullptr;
    uint32_t count = 0;
};

// What write_herds needs beside the requests.
struct herd_order_t {
    def_pool_t *pool = nullptr;      // where the animals are written
    def_obj_t *parent = nullptr;     // their parent object (the mission's "animals"); null: the top level
    const def_pool_t *game = nullptr;  // the game definition ("species")
    const char *map = nullptr;       // the map whose start points the herds stand on
    vec3_t center;                   // where the first animal stands nearest
    float hour = 12.0f;              // the time of day, for the needs
    randomizer_t *random = nullptr;  // null: a generator seeded from the kernel's random value
};

// Start points farther than 2 from the centre and not farther than 1000 go to near,
// farther ones to far (positions, in file order); both are emptied first. False (with
// the warning "no start points found") when the map's start points do not load.
bool collect_start_points(const vec3_t &center, const char *map, array_dyn_t<vec3_t> &near_list,
                          array_dyn_t<vec3_t> &far_list);

// Writes the herds of the requests. Returns the number of animals written.
uint32_t write_herds(const herd_order_t &order, const herd_request_t *requests, uint32_t count);

}  // namespace quarn
