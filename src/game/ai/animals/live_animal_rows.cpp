// The factory the AI world makes its live animals through, installed when the game
// module registers: a gender of type "deer" gives a deer_animal_t, any other type a
// simple_animal_t (docs/animal-ai.md, "Live animals").
#include <cstring>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/animals/deer_animal.h"
#include "game/game_rows.h"

namespace quarn {

namespace {

ai_animal_t *make_live_animal(const char *type) {
    if (type && strcmp(type, "deer") == 0) return new deer_animal_t;
    return new simple_animal_t;
}

bool install_factory(const game_row_args_t &) {
    ai_set_animal_factory(make_live_animal);
    return true;
}

bool remove_factory(const game_row_args_t &) {
    if (ai_get_animal_factory() == make_live_animal) ai_set_animal_factory(nullptr);
    return true;
}

}  // namespace

ai_animal_factory_t live_animal_factory() { return make_live_animal; }

}  // namespace quarn

GAME_MODULE_ROWS(live_animals,
                 quarn::game_row(quarn::game_step_t::REGISTER_BEHAVIOUR_LOADER, "ai_set_animal_factory",
                                 quarn::install_factory),
                 quarn::game_row(quarn::game_step_t::KILL_BEHAVIOUR_LOADER, "ai_clear_animal_factory",
                                 quarn::remove_factory));
