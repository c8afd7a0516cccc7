#include "live_animal_fixture.h"

#include "embedded_archive.h"
#include "game/ai/antlers/antler_units.h"
#include "game/ai/zba/zba_resources.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/models/model_template.h"
#include "game/world/environment_preset.h"
#include "game/world/grass.h"
#include "game/world/grass_cell.h"
#include "game/world/grass_set.h"
#include "kernel/plugins.h"
#include "kernel/sound/sound.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/dl_lib.h"
#include "support/test_paths.h"

namespace quarn::test {

QRN_UNIT_DEFINE(herd_ctrl_u, "herd_test_ctrl");

namespace {

const unit_descriptor_t *const extra_classes[] = {
    &environment_preset_u::unit_descriptor, &sun_u::unit_descriptor,
    &fog_u::unit_descriptor,                &temperature_u::unit_descriptor,
    &wind_u::unit_descriptor,               &model_template_u::unit_descriptor,
    &model_object_u::unit_descriptor,       &particle_gen_u::unit_descriptor,
    &particle_set_u::unit_descriptor,       &antler_factory_u::unit_descriptor,
    &antler_part_u::unit_descriptor,        &antler_part_simple_u::unit_descriptor,
    &antler_desc_u::unit_descriptor,        &antler_score_u::unit_descriptor,
    &antler_pair_score_u::unit_descriptor,  &grass_u::unit_descriptor,
    &grass_set_u::unit_descriptor,          &grass_property_u::unit_descriptor,
    &grass_cell_u::unit_descriptor};

}  // namespace

void live_animal_fixture_t::SetUp() {
    world_unit_fixture_t::SetUp();
    ASSERT_NE(dll_register((test_bin_dir() + "/lib/loaders").c_str()), nullptr);
    sonbase_init(dl_lib_t::get_main_handle());
    snd_start(get_engine_ubank(), unit_system_t::get_default());
    previous_factory = fs_set_archive_factory(zip_device_create);
    base_archive = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base_archive, nullptr);
    builtin_archive = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    ASSERT_NE(builtin_archive, nullptr);
    zba_set_model_source(&models);
    for (const unit_descriptor_t *d : extra_classes)
        if (get_engine_ubank()->register_class(d)) registered.push_back(d);
    set_game_data(&data);
    scene_set_hookup_folder("");
    ai_set_animal_factory(live_animal_factory());
    clock.cycles = 4242;
    sys_reset_random();
    shipped_game = game_definition();
    ASSERT_TRUE(shipped_game);
}

void live_animal_fixture_t::TearDown() {
    set_current_ctrl(nullptr);
    m_ctrl = nullptr;
    unit_system_t::clean_garbage();
    ai_set_animal_factory(nullptr);
    scene_set_hookup_folder(nullptr);
    set_game_data(nullptr);
    mission.reset();
    shipped_game.reset();
    snd_stop();
    zba_free_unreferenced();
    zba_set_model_source(nullptr);
    for (const unit_descriptor_t *d : registered) get_engine_ubank()->unregister_class(d);
    registered.clear();
    free_cached();
    if (builtin_archive) ufs_unmount(builtin_archive);
    if (base_archive) ufs_unmount(base_archive);
    fs_set_archive_factory(previous_factory);
    world_unit_fixture_t::TearDown();
    sonbase_shutdown();
    dll_table_forget();
}

herd_ctrl_u *live_animal_fixture_t::make_scene(uint32_t seed) {
    set_current_ctrl(nullptr);
    unit_system_t::clean_garbage();
    set_current_ctrl(owner_ptr_ret_t<base_ctrl_u>(herd_ctrl_u::create().take()));
    m_ctrl = static_cast<herd_ctrl_u *>(get_current_ctrl());
    if (m_ctrl) m_ctrl->get_random().seed = seed;
    return m_ctrl;
}

std::unique_ptr<def_pool_t> live_animal_fixture_t::game_definition() {
    auto pool = std::make_unique<def_pool_t>();
    if (!pool->read_from("/def/game.def")) return nullptr;
    return pool;
}

bool live_animal_fixture_t::start(const std::string &text, uint32_t seed, const def_pool_t *game) {
    mission = std::make_unique<def_pool_t>();
    if (!mission->read_text(text.data(), text.size(), "/t/mission.def")) return false;
    if (!make_scene(seed)) return false;
    m_ctrl->start_map(*mission, game ? game : shipped_game.get());
    return true;
}

void live_animal_fixture_t::run(uint32_t frames, const std::function<bool(uint32_t)> &check) {
    for (uint32_t f = 0; f < frames && m_ctrl; ++f) {
        m_ctrl->update(FRAME);
        if (check && !check(f)) return;
    }
}

simple_animal_t *live_animal_fixture_t::animal(uint32_t index) const {
    return ai() ? dynamic_cast<simple_animal_t *>(ai()->get_animal(index)) : nullptr;
}

simple_animal_t *live_animal_fixture_t::animal(const char *name) const {
    const int32_t index = ai() ? ai()->find_animal(name) : -1;
    return index < 0 ? nullptr : animal(uint32_t(index));
}

bool live_animal_fixture_t::on_walkable_cell(const animal_t &a) const {
    const ai_navigation_t &nav = ai()->get_navigation();
    uint32_t cell = 0;
    bool inside = false;
    if (!nav.locate(a.get_position(), a.get_movement_mode(), &cell, &inside) || !inside) return false;
    return ai_nav_kind_allowed(nav.get_sector().get_cell(cell).kind, a.get_movement_mode());
}

}  // namespace quarn::test
