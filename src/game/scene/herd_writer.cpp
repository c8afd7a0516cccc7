#include "game/scene/herd_writer.h"

#include "game/scene/species_curve.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/ai/antlers/antler_cache.h"
#include "game/ai/animals/species.h"
#include "game/world/start_point.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/sys.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/math/ypr.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr float NEAR_MIN = 2.0f;
constexpr float NEAR_MAX = 1000.0f;
constexpr float DEFAULT_THIRST = 0.2f;
constexpr float DEFAULT_REST = 0.1f;
// The kernel's random value spread over the generator's seeds.
constexpr double SEED_RANGE = 2147483648.0;
constexpr float FULL_TURN = 6.2831855f;
constexpr float SMALLEST_SCALE = 0.8f;
constexpr float LARGEST_SCALE = 1.2f;
// The gender whose type receives a herd's animals when no type of the species gives a
// share.
constexpr int32_t HERD_GENDER = 1;
// The most types of one species a herd is shared among (male, female, young and more).
constexpr uint32_t MAX_HERD_TYPES = 8;

bool plain_name(const char *name) { return name && *name && !strchr(name, '.'); }

// Takes the point nearest to the centre out of the list; false when it is empty.
bool take_nearest(array_dyn_t<vec3_t> &list, const vec3_t &center, vec3_t &out) {
    if (list.get_count() == 0) return false;
    uint32_t best = 0;
    for (uint32_t i = 1; i < list.get_count(); ++i)
        if (length_squared(list[i] - center) < length_squared(list[best] - center)) best = i;
    out = list[best];
    list.remove(best);
    return true;
}

bool take_random(array_dyn_t<vec3_t> &list, randomizer_t &random, vec3_t &out) {
    if (list.get_count() == 0) return false;
    const uint32_t index = random.rand_u(list.get_count());
    out = list[index];
    list.remove(index);
    return true;
}

// The "scale" of the animal model description of that species and type, read by
// name through its class's attributes; 1 without a description.
float description_scale(const char *species, const char *type) {
    mstring_dyn_t name;
    name.printf("%s.%s.animal.model.desc", species, type);
    unit_t *unit = unit_system_t::find_unit(name);
    if (!unit || !unit->is_alive()) return 1.0f;
    for (const unit_descriptor_t *d = unit->get_descriptor(); d; d = d->parent) {
        for (const unit_attribute_t *a = d->attributes; a && a->type != UNIT_ATTR_END; ++a)
            if (a->type == UNIT_ATTR_FLOAT && strcmp(a->name, "scale") == 0)
                return *static_cast<const float *>(a->address_in(unit));
    }
    return 1.0f;
}

bool real_of(const def_obj_t &object, const char *key, float &out) {
    const char *text = object.get_value(key);
    return text && curve_read_real(text, strlen(text), out);
}

// The AI preset's values (the gender's "ai_presets", else the species'; its "default"),
// each scaled by the gender's own value of the same key where it gives a number.
void write_preset(def_obj_t &animal, const def_obj_t &species, const def_obj_t &type) {
    const def_obj_t *presets = type.find("ai_presets");
    if (!presets) presets = species.find("ai_presets");
    const def_obj_t *preset = presets ? presets->find("default") : nullptr;
    if (!preset) return;
    for (const def_obj_t *level = preset; level; level = level->get_base()) {
        for (const def_value_t *v = level->get_first_value(); v; v = v->get_next()) {
            if (animal.get_value(v->get_key())) continue;  // a nearer level gave it
            float value = 0.0f;
            if (!real_of(*preset, v->get_key(), value)) continue;
            float factor = 1.0f;
            if (real_of(type, v->get_key(), factor)) value *= factor;
            animal.set_real(v->get_key(), value);
        }
    }
}

// The gender of a type object of a species (its "gender", a whole number), or 0 for a
// child that is no type (the kind's "ai_presets", "carcass").
int32_t gender_of(const def_obj_t &child) {
    const char *gender = child.get_value("gender");
    int32_t value = 0;
    return gender && curve_read_hour(gender, strlen(gender), value) ? value : 0;
}

// One type of a species and the animals of a herd it receives.
struct herd_part_t {
    const def_obj_t *type = nullptr;
    uint32_t count = 0;
};

// Shares a herd of count animals among the species' types by their "herd_share" (a
// decimal of 0 or more; missing is 0): count × share / the sum of the shares each,
// the animals left over going to the largest remainders (the earlier type on a tie).
// A species whose types give no share sends every animal to its first type of
// HERD_GENDER. Returns the number of parts (in the types' file order); 0 when the
// species has no type to take them.
uint32_t share_herd(const def_obj_t &species, const char *species_name, uint32_t count, herd_part_t *parts) {
    float shares[MAX_HERD_TYPES] = {};
    uint32_t n = 0;
    double total = 0.0;
    for (const def_obj_t *child = species.get_first_child(); child; child = child->get_next()) {
        if (gender_of(*child) <= 0) continue;
        float share = 0.0f;
        const char *text = child->get_value("herd_share");
        if (text && (!curve_read_real(text, strlen(text), share) || !(share >= 0.0f))) {
            warning("[game] invalid (herd_share) value of species (%s.%s): it takes no part of the herds",
                    species_name, child->get_name());
            share = 0.0f;
        }
        if (share <= 0.0f) continue;
        if (n == MAX_HERD_TYPES) {
            warning("[game] species (%s) shares its herds among more than %u types: the rest take none", species_name,
                    MAX_HERD_TYPES);
            break;
        }
        parts[n] = {child, 0};
        shares[n++] = share;
        total += share;
    }
    if (n == 0) {
        for (const def_obj_t *child = species.get_first_child(); child; child = child->get_next())
            if (gender_of(*child) == HERD_GENDER) {
                parts[0] = {child, count};
                return 1;
            }
        return 0;
    }
    double remainders[MAX_HERD_TYPES];
    uint32_t given = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const double exact = double(count) * shares[i] / total;
        parts[i].count = uint32_t(exact);
        remainders[i] = exact - double(parts[i].count);
        given += parts[i].count;
    }
    for (; given < count; ++given) {
        uint32_t best = 0;
        for (uint32_t i = 1; i < n; ++i)
            if (remainders[i] > remainders[best]) best = i;
        ++parts[best].count;
        remainders[best] = -1.0;
    }
    return n;
}

float varied(randomizer_t &random, float value) { return (0.9f + 0.2f * random.rand()) * value; }

}  // namespace

bool collect_start_points(const vec3_t &center, const char *map, array_dyn_t<vec3_t> &near_list,
                          array_dyn_t<vec3_t> &far_list) {
    near_list.clear();
    far_list.clear();
    array_dyn_t<owner_ptr_t<unit_base_t>> starts;
    if (!load_start_points(starts, map ? map : "")) {
        warning("[game] no start points found");
        return false;
    }
    for (const owner_ptr_t<unit_base_t> &unit : starts) {
        const auto *start = unit_cast<start_point_u>(unit.get());
        if (!start) continue;
        const vec3_t &position = start->get_placement().position;
        const float distance = length(position - center);
        if (distance > NEAR_MAX) far_list.append(position);
        else if (distance > NEAR_MIN) near_list.append(position);
    }
    return true;
}

uint32_t write_herds(const herd_order_t &order, const herd_request_t *requests, uint32_t count) {
    if (!requests || count == 0 || !order.pool || !order.game) return 0;
    const def_obj_t *all_species = order.game->find("species");
    if (!all_species) {
        error("[game] cannot find game.def (%s) section", "species");
        return 0;
    }
    uint64_t total = 0;
    for (uint32_t i = 0; i < count; ++i) total += requests[i].count;
    if (total == 0) {
        warning("[game] no animals created");
        return 0;
    }
    array_dyn_t<vec3_t> near_list, far_list;
    if (!collect_start_points(order.center, order.map, near_list, far_list)) return 0;

    randomizer_t own(0);
    if (!order.random) own.seed = uint32_t(double(sys_rand()) * SEED_RANGE);
    randomizer_t &random = order.random ? *order.random : own;
    antler_cache_t antlers;
    antlers.set_game_definition(order.game);

    uint32_t written = 0;
    for (uint32_t r = 0; r < count; ++r) {
        const herd_request_t &request = requests[r];
        if (request.count == 0) continue;
        const def_obj_t *species = plain_name(request.species) ? all_species->find(request.species) : nullptr;
        if (!species) {
            warning("[game] no species (%s) in the game definition: its herd is not written",
                    request.species ? request.species : "");
            continue;
        }
        herd_part_t parts[MAX_HERD_TYPES];
        const uint32_t part_count = share_herd(*species, request.species, request.count, parts);
        if (part_count == 0) {
            warning("[game] species (%s) has no type of gender %d: its herd is not written", request.species,
                    HERD_GENDER);
            continue;
        }
        const float thirst = read_species_curve(*species, "thirst_pattern", order.hour, DEFAULT_THIRST);
        const float rest = read_species_curve(*species, "rest_pattern", order.hour, DEFAULT_REST);
        // The herd's first animal leads it, whatever its type: the others follow it.
        mstring_dyn_t leader;
        for (uint32_t p = 0; p < part_count; ++p) {
            const def_obj_t *type = parts[p].type;
            const char *type_name = type->get_name();
            const bool antlered = strcmp(type->get_dvalue("type", ""), "deer") == 0;
            for (uint32_t a = 0; a < parts[p].count; ++a) {
                const bool first = leader.is_empty();
                vec3_t position;
                const bool placed = first ? take_nearest(near_list, order.center, position) ||
                                                take_nearest(far_list, order.center, position)
                                          : take_random(near_list, random, position) ||
                                                take_random(far_list, random, position);
                if (!placed) {
                    warning("[game] no start point left on %s: the herds end after %u animals",
                            order.map ? order.map : "", written);
                    return written;
                }
                mstring_dyn_t name;
                name.printf("%s_%s%.2u", request.species, type_name, written);
                def_obj_t *animal = order.pool->create_object(name.c_str(), order.parent);
                if (!animal) {
                    error("[game] the animal '%s' cannot be written", name.c_str());
                    return written;
                }
                animal->set_value("name", name.c_str());
                animal->set_value("species", request.species);
                animal->set_value("type", type_name);
                if (first) leader.copy(name);
                else animal->set_value("mate", leader.c_str());
                animal->set_point("position", position);
                const float yaw = random.rand() * FULL_TURN;
                animal->set_point("orientation", ypr_t(yaw * (180.0f / 3.14159265f), 0.0f, 0.0f).get_direction());

                write_preset(*animal, *species, *type);
                animal->set_real("val_hunger", varied(random, 0.5f));
                animal->set_real("val_thirst", varied(random, thirst));
                animal->set_real("val_tiredness", varied(random, rest));
                animal->set_real("val_sex", varied(random, 0.0f));
                animal->set_real("val_aggression", 0.2f * random.rand());
                animal->set_real("val_stress", 0.3f);
                animal->set_real("val_mate", 0.0f);

                const float r_size = random.rand();
                const float scale = (SMALLEST_SCALE * (1.0f - r_size) + LARGEST_SCALE * r_size) *
                                    description_scale(request.species, type_name);
                animal->set_real("scale", scale);
                animal->set_real("weight", animal_compute_weight(*type, scale, &random));
                animal->set_real("score", animal_compute_score(*type, scale, &random));
                if (antlered) antlers.add_random_antlers(*order.pool, animal, request.species, type_name, random);
                ++written;
            }
        }
    }
    return written;
}

}  // namespace quarn
