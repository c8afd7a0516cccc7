#include "game/process/game_cvars.h"

#include "game/game_localisation.h"
#include "game/game_module.h"
#include "game/process/game_process.h"
#include "game/world/grass.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/strings/cstring.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr uint32_t STORED = cvar_t::STORED;

float view_distance_factor = 0.5f;
float flat_factor = 0.5f;

// The whole text as a number (blanks around it allowed).
bool read_number(const char *text, double &out) {
    const char *end = nullptr;
    out = v_strtod(text, &end);
    return end != text && *v_skip_wspace(end) == 0;
}

bool zclip_in_range(const cvar_t *variable, const char *value) {
    double z = 0.0;
    if (read_number(value, z) && z >= 0.0 && z <= 1.01) return true;
    warning("[game] %s: '%s' is refused (a number from 0 to 1.01) - the value stays '%s'", variable->name, value,
            variable->get_text());
    return false;
}

void zclip_changed(cvar_t *variable) { view_distance_factor = variable->get_float(); }

void grass_density_changed(cvar_t *variable) {
    // The second assignment runs this hook again, with 0.
    if (variable->get_float() < 0.0f) {
        variable->set("0");
        return;
    }
    grass_set_density_changed();
}

void language_changed(cvar_t *variable) {
    const char *language = variable->get_text();
    if (game_module_mode() == GAME_MODULE_HOSTED) {
        on_language_changed(language ? language : "");
        return;
    }
    if (game_process_t *game = get_game_process()) game->set_language(language);
}

void flat_factor_changed(cvar_t *variable) { flat_factor = variable->get_float(); }

cvar_t variables[GAME_CVAR_COUNT] = {
    {"g_console", "0", STORED},
    {"g_minicon", "0", STORED},
    {"g_fps", "0", STORED},
    {"g_gore", "1", STORED},
    {"g_colbox", "0", STORED},
    {"g_ai_debug", "0", STORED},
    {"g_flyspeed", "0.0", STORED},
    {"g_particles", "1", STORED},
    {"g_zclip", "0.5", STORED, zclip_in_range, zclip_changed},
    {"g_grass_density", "0.5", STORED, nullptr, grass_density_changed},
    {"g_quality", "-1", STORED},
    {"g_lang", "en_us", STORED, nullptr, language_changed},
    {"g_chunks", "0", STORED},
    {"g_shadows", "1", STORED},
    {"g_player_name", "", STORED},
    {"g_splash_index", "0", STORED},
    {"g_run_flags", "", STORED},
    {"g_performance_tipped", "0", STORED},
    {"r_driver", "gl", STORED},
    {"r_device", "", STORED},
    {"r_mode", "1024x768x32x0", STORED},
    {"r_fullscreen", "1", STORED},
    {"r_path", "3", STORED},
    {"r_gamma", "0.83", STORED},
    {"fx_flat_factor", "0.5", 0, nullptr, flat_factor_changed},
};

constexpr uint32_t MINICON = 1;
constexpr uint32_t LANGUAGE = 11;

bool registered(const cvar_t &variable) { return variable.hash != 0; }

}  // namespace

cvar_t *game_cvar(uint32_t index) { return index < GAME_CVAR_COUNT ? &variables[index] : nullptr; }

void register_game_cvars() {
    for (cvar_t &variable : variables)
        if (!registered(variable)) cvar_register_variable(&variable);
    view_distance_factor = variables[8].get_float();
    flat_factor = variables[24].get_float();
}

void register_hosted_cvars() {
    for (uint32_t i : {MINICON, LANGUAGE})
        if (!registered(variables[i])) cvar_register_variable(&variables[i]);
}

void unregister_game_cvars() {
    for (cvar_t &variable : variables)
        if (registered(variable)) cvar_unregister_variable(&variable);
}

float game_view_distance_factor() { return view_distance_factor; }

float game_flat_factor() { return flat_factor; }

}  // namespace quarn
