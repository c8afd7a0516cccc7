#include "game/ai/antlers/antler_cache.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/ai/antlers/antler_piece.h"
#include "kernel/memory/m_manager.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/def_resource.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load_tree.h"

namespace quarn {

namespace {

const char *const SIDE_NAMES[2] = {"left_antler", "right_antler"};

// A plain block name: with a dot it would reach into a deeper block.
bool plain_name(const char *name) { return name && *name && !strchr(name, '.'); }

}  // namespace

antler_cache_t::~antler_cache_t() {
    m_default = nullptr;
    m_held.clear();
    m_map.clear();
}

antler_factory_u *antler_cache_t::get_factory() {
    if (!m_default || !m_default->is_alive()) {
        owner_ptr_ret_t<antler_factory_u> made = antler_factory_u::create();
        m_default = made.get();
        // The reference holds it from now on.
        if (m_default) made.take();
    }
    return m_default.get();
}

bool antler_cache_t::read_antler_file(const char *species, const char *gender, mstring_dyn_t &path) const {
    path.copy("");
    if (!plain_name(species) || !plain_name(gender)) return false;
    char name[512];
    if (snprintf(name, sizeof name, "species.%s.%s", species, gender) >= int(sizeof name)) return false;
    if (m_game) {
        const def_obj_t *type = m_game->find(name);
        return !type || path.copy(type->get_dvalue("antlers", ""));
    }
    c_item_lock_t game(mm_obtain_resource(MM_NAMED_LOAD, GAME_DEFINITION, &def_resource_u::unit_descriptor));
    const def_pool_t *pool = def_resource_u::pool_of(game.get_data());
    if (!pool) {
        error("[animal] cannot load %s: no antlers for (%s)", GAME_DEFINITION, name);
        return false;
    }
    const def_obj_t *type = pool->find(name);
    return !type || path.copy(type->get_dvalue("antlers", ""));
}

antler_factory_u *antler_cache_t::find_factory(const char *species, const char *gender) {
    mstring_dyn_t key;
    key.printf("%s.%s", species ? species : "", gender ? gender : "");
    if (ref_ptr_t<antler_factory_u> *cached = m_map.get(key)) {
        if ((*cached)->is_alive()) return cached->get();
        m_map.remove(key);
    }
    mstring_dyn_t path;
    if (!read_antler_file(species, gender, path) || path.is_empty()) return get_factory();
    owner_ptr_ret_t<antler_factory_u> loaded = load_unit_tree<antler_factory_u>(path.c_str());
    if (!loaded) return get_factory();
    const ref_ptr_t<antler_factory_u> factory(loaded.take());
    if (!m_held.append(factory) || !m_map.insert(key, factory)) {
        error("[animal] No memory to keep the antler factory of (%s)", key.c_str());
        return get_factory();
    }
    return factory.get();
}

void antler_cache_t::add_random_antlers(def_pool_t &pool, def_obj_t *parent, const char *species,
                                        const char *gender, randomizer_t &random) {
    const antler_factory_u *factory = find_factory(species, gender);
    const uint32_t count = factory->get_part_count();
    if (count == 0) return;
    const float size = 0.7f + 0.3f * random.rand();
    // rand_u(n) gives 0 to n - 1: the last part of the list is never drawn.
    const uint32_t part = random.rand_u(count - 1);
    char beam[32];
    snprintf(beam, sizeof beam, "simple_beam_part%u", part);
    for (const char *side : SIDE_NAMES) {
        const float scale = (0.9f + 0.1f * random.rand()) * size;
        def_obj_t *antler = pool.create_object(side, parent);
        if (!antler) {
            error("[animal] cannot write the %s of (%s.%s)", side, species, gender);
            continue;
        }
        antler->set_value("main_beam", beam);
        antler->set_real("scale", scale);
    }
}

bool antler_cache_t::build_antler(antler_piece_t &piece, const char *species, const char *gender, int32_t side,
                                  const def_obj_t &antler) {
    const char *beam = antler.get_dvalue("main_beam", "");
    float scale = 1.0f;
    antler.get_real("scale", scale);
    int32_t seed = 0;
    antler.get_int("seed", seed);  // kept in the file; the simple beams do not use it
    antler_factory_u *factory = find_factory(species, gender);
    const char *digits = strpbrk(beam, "0123456789");
    if (!digits) {
        error("[animal] Malformed antler beam_name (%s)", beam);
        return get_factory()->build(piece, side, 0, 1.0f);
    }
    // Decimal, as the writer writes it: "simple_beam_part010" is part 10.
    const unsigned long long n = strtoull(digits, nullptr, 10);
    const uint32_t index = n > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(n);
    return factory->build(piece, side, index, scale);
}

}  // namespace quarn
