#include "weather_fixture.h"

#include "game/visuals/fader.h"
#include "kernel/memory/m_server.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {

QRN_UNIT_DEFINE(weather_test_ctrl_u, "weather_test_ctrl");

void weather_fixture_t::SetUp() {
    model_lib_fixture_t::SetUp();
    previous = fs_set_archive_factory(zip_device_create);
    base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    ASSERT_TRUE(write_file(dir.file("maps/.keep"), ""));
    maps = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("maps").c_str(), "/map/test", false, 0);
    ASSERT_NE(maps, nullptr);
    unit_bank_t &bank = *get_engine_ubank();
    environment_preset_u::register_class(bank);
    sun_u::register_class(bank);
    fog_u::register_class(bank);
    temperature_u::register_class(bank);
    wind_u::register_class(bank);
    clock.cycles = 12345;
    sys_reset_random();
}

void weather_fixture_t::TearDown() {
    set_current_ctrl({});
    unit_system_t::clean_garbage();
    if (maps) ufs_unmount(maps);
    unmount_base();
    fs_set_archive_factory(previous);
    model_lib_fixture_t::TearDown();
}

environment_u *weather_fixture_t::start_scene() {
    set_current_ctrl(weather_test_ctrl_u::create());
    ctrl = static_cast<weather_test_ctrl_u *>(get_current_ctrl());
    return ctrl ? ctrl->get_environment() : nullptr;
}

void weather_fixture_t::put_map_file(const std::string &name, const std::string &text) {
    ASSERT_TRUE(write_file(dir.file("maps/" + name), text));
}

void weather_fixture_t::unmount_base() {
    if (base) ufs_unmount(base);
    base = nullptr;
}

std::vector<updatable_t *> weather_fixture_t::update_list() {
    std::vector<updatable_t *> list;
    if (!ctrl) return list;
    ctrl->apply_list_changes();
    // The scene's own parts (bits, AI world, colour flasher) are no units: only the
    // units are listed.
    for (updatable_t *o : ctrl->get_update_list())
        if (dynamic_cast<unit_base_t *>(o)) list.push_back(o);
    return list;
}

}  // namespace quarn::test
