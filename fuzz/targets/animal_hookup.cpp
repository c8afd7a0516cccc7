// Reads arbitrary bytes as a unit file of the animals' hookup folder into the hookup
// classes: descriptions, hit zones (with the voice tables they may name), antler sets
// and sound sets. Here there is no resource manager, so every resource loads as null:
// a description never finds its behaviour file and an antler set never its model, and
// both must refuse their load. Hit zones and sound sets load; a hit zone keeps its
// unresolved indices, a sound set holds no sound, and both copy. Every unit the load
// made is freed again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/ai/animals/animal_hookup.h"
#include "game/voiceover/voiceover.h"
#include "outside/qrnshared/shared_resource_tie.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"
#include "support/fuzz_unit_load.h"

namespace quarn {
namespace {

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        for (bool ok : {animal_runtime_u::register_class(bank), animal_antler_u::register_class(bank),
                        animal_part_u::register_class(bank), animal_model_desc_u::register_class(bank),
                        voiceover_u::register_class(bank), voiceover_table_u::register_class(bank)})
            if (!ok) abort();
    }
    unit_bank_t bank;
    unit_system_t system;
    // The game's tie; without the resource manager every resource loads as null.
    shared_resource_tie_t tie;
};

// A hit zone that loaded: nothing resolved without its description; a copy carries
// the same.
void check(animal_part_u &part) {
    if (part.get_piece_index() != -1 || part.get_bone_index() != -1 || part.get_behavior_code() != -1) abort();
    owner_ptr_t<unit_base_t> copy(part.clone());
    const animal_part_u *p = unit_cast<animal_part_u>(copy.get());
    if (!p || p->get_behavior_code() != -1 || p->fever_reward != part.fever_reward ||
        p->get_voice_table() != part.get_voice_table())
        abort();
}

// A sound set that loaded holds no run sound in any slot (nor outside them).
void check(animal_runtime_u &runtime) {
    for (int32_t i = -1; i <= int32_t(animal_runtime_u::RUN_SOUND_SLOTS); ++i)
        if (runtime.get_run_sound(i)) abort();
    owner_ptr_t<unit_base_t> copy(runtime.clone());
    if (!unit_cast<animal_runtime_u>(copy.get())) abort();
}

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static world_t world;
    test::fuzz_unit_load(world.system, data, size, "/f/animal.sui", false, [](unit_base_t *root) {
        // Without their resources these two must have refused the load.
        if (unit_cast<animal_model_desc_u>(root) || unit_cast<animal_antler_u>(root)) abort();
        if (animal_part_u *p = unit_cast<animal_part_u>(root)) check(*p);
        if (animal_runtime_u *r = unit_cast<animal_runtime_u>(root)) check(*r);
    });
    return 0;
}
