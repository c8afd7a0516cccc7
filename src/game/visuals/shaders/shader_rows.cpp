// The shader library's rows in the game module's registration table: its lock hooks
// and queues at registration, the generic and game effects and the water's wave
// texture when the guard is made, the updaters on every pass, and the way back.
#include "game/game_rows.h"
#include "game/visuals/shaders/fft_wave_texture.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/material.h"

namespace quarn {

namespace {

constexpr char WAVE_TEXTURE[] = "/procedural/water_noise.tobj";

fft_wave_texture_t *wave = nullptr;

bool set_locks(const game_row_args_t &) {
    shaderlib_set_lock_callbacks(game_module_lock, game_module_unlock);
    return true;
}

bool init_queues(const game_row_args_t &) { return shaderlib_init_queues(); }

bool register_library(const game_row_args_t &) { return shaderlib_register(); }

bool register_effects(const game_row_args_t &) { return fw_effects_register(); }

void drop_wave_texture() {
    if (!wave) return;
    shaderlib_remove_updater(wave);
    delete wave;
    wave = nullptr;
}

// 64 x 64 texels, normals with z up; it replaces an earlier one.
bool make_wave_texture(const game_row_args_t &) {
    fft_wave_texture_t *made = new fft_wave_texture_t(64, 64, WAVE_TEXTURE, fft_wave_texture_t::NORMALS_Z_UP);
    drop_wave_texture();
    wave = made;
    return wave && wave->is_valid() && shaderlib_add_updater(wave) > 0;
}

bool update(const game_row_args_t &args) {
    shaderlib_update(float(args.seconds));
    return true;
}

bool stop_wave_texture(const game_row_args_t &) {
    drop_wave_texture();
    return true;
}

bool free_queues(const game_row_args_t &) {
    shaderlib_free_queues();
    return true;
}

// The passes of loaded materials and the effects hold the guard: the directories go
// (and the effects made under them), and so do the materials nothing uses any more.
// Runs on every pass while the guard waits.
bool release_effects(const game_row_args_t &) {
    fw_effects_unregister();
    shaderlib_unregister();
    mm_remove_unreferenced(-1, &material_u::unit_descriptor);
    return true;
}

}  // namespace

fft_wave_texture_t *game_wave_texture() { return wave; }

}  // namespace quarn

using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(shaders,
                 game_row(game_step_t::REGISTER_LOCK_SHADERS, "shaderlib_set_lock_callbacks", quarn::set_locks),
                 game_row(game_step_t::REGISTER_SHADER_QUEUES, "shaderlib_init_queues", quarn::init_queues),
                 game_row(game_step_t::GUARD_SHADERS, "shaderlib_register", quarn::register_library),
                 game_row(game_step_t::GUARD_EFFECTS, "fw_effects_register", quarn::register_effects),
                 game_row(game_step_t::GUARD_WAVE_TEXTURE, "fft_wave_texture", quarn::make_wave_texture),
                 game_row(game_step_t::PASS_SHADERS, "shaderlib_update", quarn::update),
                 game_row(game_step_t::STOP_WAVE_TEXTURE, "fft_wave_texture", quarn::stop_wave_texture),
                 game_row(game_step_t::STOP_SHADER_QUEUES, "shaderlib_free_queues", quarn::free_queues),
                 game_row(game_step_t::DRAIN_SHADERS, "release_effects", quarn::release_effects));
