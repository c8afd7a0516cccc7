#pragma once
// antler_cache_t: the antler factories of a scene (the scene controller holds one; the
// herd writer makes its own), so that each antler file is read once. Factories are
// found by "<species>.<gender>" from the key "antlers" of the gender's block in the
// game definition (docs/antlers.md). A gender without an antler file, and a file that
// does not load as a factory, give the empty default factory, which is not kept under
// the key: the next call tries the file again.
#include <cstdint>

#include "game/ai/antlers/antler_units.h"
#include "game/game_alloc.h"
#include "qrncore/collections/map.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class antler_piece_t;
class def_obj_t;
class def_pool_t;
class randomizer_t;

class antler_cache_t : public game_alloc_t {
public:
    // Where the cache reads the game definition without one given.
    static constexpr const char *GAME_DEFINITION = "/def/game.def";

    antler_cache_t() = default;
    // Lets go of the default factory, the factories read and the map.
    ~antler_cache_t();
    antler_cache_t(const antler_cache_t &) = delete;
    antler_cache_t &operator=(const antler_cache_t &) = delete;

    // The pool the cache reads "antlers" from (it must outlive the cache or the next
    // call); null (the default): "/def/game.def" through the resource manager, loaded
    // at each call that does not find its key.
    void set_game_definition(const def_pool_t *game) { m_game = game; }

    // The factory of the species' gender, never null: the cached one, the one its
    // antler file gives (then cached), or the default factory.
    antler_factory_u *find_factory(const char *species, const char *gender);
    // The empty default factory, made anew when the one held is no longer alive.
    antler_factory_u *get_factory();

    // For a new antlered animal of the herd writer: below parent (its instance
    // object; null: the top level of pool) the objects "left_antler" and
    // "right_antler", each with "main_beam" (one random part of the factory's list,
    // never its last one, shared by both sides) and "scale" (0.7 to 1.0 for the
    // animal, times 0.9 to 1.0 per side). Nothing for a factory without parts.
    void add_random_antlers(def_pool_t &pool, def_obj_t *parent, const char *species, const char *gender,
                            randomizer_t &random);

    // Builds the antler of one side from its object ("left_antler"/"right_antler":
    // "main_beam", "scale"; "seed" is read and not used): the part whose index ends
    // the beam name, in decimal ("simple_beam_part12" is part 12). A beam name
    // without digits logs "[animal] Malformed antler beam_name (%s)" and gives the
    // empty piece of the default factory. True when a part was built.
    bool build_antler(antler_piece_t &piece, const char *species, const char *gender, int32_t side,
                      const def_obj_t &antler);

    // The factories read from files so far, and the keys cached.
    uint32_t get_held_count() const { return m_held.get_count(); }
    uint32_t get_key_count() const { return m_map.get_count(); }

private:
    // The value of "antlers" in "species.<species>.<gender>" ("" without one).
    bool read_antler_file(const char *species, const char *gender, mstring_dyn_t &path) const;

    const def_pool_t *m_game = nullptr;
    map_t<mstring_dyn_t, ref_ptr_t<antler_factory_u>> m_map;
    array_dyn_t<ref_ptr_t<antler_factory_u>> m_held;
    ref_ptr_t<antler_factory_u> m_default;
};

}  // namespace quarn
