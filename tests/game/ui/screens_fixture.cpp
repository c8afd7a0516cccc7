#include "screens_fixture.h"

#include "game/game_module.h"
#include "game/scene/current_ctrl.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/ui_classes.h"
#include "kernel/hw_devices.h"
#include "kernel/input/inp_state.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "outside/sonbase/sonbase.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "uifx_fixture.h"

namespace quarn::test {

QRN_UNIT_DEFINE(screens_ctrl_u, "screens_ctrl");
QRN_UNIT_DEFINE(screens_hunt_ctrl_u, "hunt_ctrl");
QRN_UNIT_DEFINE(screens_menu_ctrl_u, "menu_ctrl");

namespace {

constexpr entity_reg_t TEST_SCREEN = game_ui_reg<test_screen_handler_t>("ui.test.screen");

}  // namespace

const char *test_screen_handler_t::query_caption(ui_view_t *, ui_act_param_t *param) {
    const auto *item = param ? static_cast<const ui_list_item_t *>(param->item) : nullptr;
    return item && *item->text ? item->text : nullptr;
}

void screens_fixture_t::SetUp() {
    controls_fixture_t::SetUp();
    unit_system_t *system = unit_system_t::get_default();
    ASSERT_NE(system, nullptr);
    unit_bank_t &bank = system->get_bank();
    ASSERT_TRUE(screens_ctrl_u::register_class(bank));
    ASSERT_TRUE(screens_hunt_ctrl_u::register_class(bank));
    ASSERT_TRUE(screens_menu_ctrl_u::register_class(bank));
    ASSERT_TRUE(register_hookup_classes(bank));
    sonbase_init(dl_lib_t::get_main_handle());
    snd_start(&bank, system);
    hw_device_insert(&sound_device);
    ASSERT_TRUE(snd_init_devices());
    ASSERT_TRUE(entity_register(&TEST_SCREEN));
    set_screen_process(&process);
    test_screen_handler_t::effects_done.clear();
}

void screens_fixture_t::TearDown() {
    // Windows first: their handlers may still hand the hunt back.
    ui_shutdown();
    set_current_ctrl(nullptr);
    set_screen_process(nullptr);
    entity_unregister(&TEST_SCREEN);
    snd_shutdown_devices();
    snd_stop();
    hw_device_remove(&sound_device);
    m_effects.reset();
    m_effects_file.reset();
    unit_system_t::clean_garbage();
    controls_fixture_t::TearDown();
    sonbase_shutdown();
}

base_ctrl_u *screens_fixture_t::install_ctrl(ctrl_kind_t kind) {
    // The controller before goes first, as in the game: each loads the hookup units,
    // whose names are free again only once the one before is gone.
    set_current_ctrl(nullptr);
    owner_ptr_ret_t<base_ctrl_u> ctrl;
    switch (kind) {
    case ctrl_kind_t::HUNT:
        ctrl = owner_ptr_ret_t<base_ctrl_u>(screens_hunt_ctrl_u::create().take());
        break;
    case ctrl_kind_t::MENU:
        ctrl = owner_ptr_ret_t<base_ctrl_u>(screens_menu_ctrl_u::create().take());
        break;
    case ctrl_kind_t::OTHER:
        ctrl = owner_ptr_ret_t<base_ctrl_u>(screens_ctrl_u::create().take());
        break;
    }
    set_current_ctrl(std::move(ctrl));
    return get_current_ctrl();
}

base_handler_t *screens_fixture_t::open_screen(const std::string &body, const std::string &name) {
    const std::string path = "/ui/" + name + ".esc";
    layout(path, "entity ui.window {\n" + body + "\n}\nentity ui.test.screen { }\n");
    window_item = insert("t", name.c_str(), path);
    window = ui_window_of(window_item);
    screen = handler_of(window_item);
    return screen;
}

base_handler_t *screens_fixture_t::handler_of(c_item_t *w) {
    ui_window_t *win = ui_window_of(w);
    return win ? dynamic_cast<base_handler_t *>(win->get_handler()) : nullptr;
}

std::string screens_fixture_t::sounds() {
    snd_update_state();
    std::string out;
    for (; m_sound_calls < sound_device.calls.size(); ++m_sound_calls) {
        const std::string &call = sound_device.calls[m_sound_calls];
        if (call.rfind("play ", 0) != 0) continue;
        const std::string resource = call.substr(5);
        float volume = -1.0f;
        if (recording_channel_t *c = sound_device.channel(resource); c && !c->sent.empty()) volume = c->sent.back().volume;
        char line[256];
        snprintf(line, sizeof line, "%s %g", resource.c_str(), double(volume));
        out += (out.empty() ? "" : " | ") + std::string(line);
    }
    return out;
}

void screens_fixture_t::load_effects(const std::string &units) {
    unit_system_t *system = unit_system_t::get_default();
    ASSERT_TRUE(register_uifx_classes(system->get_bank()));
    const std::string text =
        "RozErere\n{\n"
        "uifx_scale : uifx.test.short { color: 2 color[0]: (1, 1, 1, 1) color[1]: (1, 1, 1, 1) scale: 2 scale[0]: 1\n"
        "    scale[1]: 1 time: 2 time[0]: 0.1 time[1]: 1 }\n"
        "uifx_button_focus : uifx.button.focus { }\n" +
        units + "}\n";
    m_effects_file = std::make_unique<memory_file_t>(text, "/t/effects.unit");
    m_effects = std::make_unique<unit_load_t>(*m_effects_file, *system);
    ASSERT_TRUE(m_effects->load());
}

std::string screens_fixture_t::uifx_cache(int n) {
    std::string body = "entity ui.comp.group { id: \"9999\"";
    for (int i = 0; i < n; ++i)
        body += " entity ui.comp.uifx.text { id: \"" + std::to_string(9000 + i) + "\" coords: \"0 0 0 0\" }";
    return body + " }\n";
}

int32_t screens_fixture_t::impulse_counter() { return inp_state ? inp_state->impulse_handling : 0; }

}  // namespace quarn::test
