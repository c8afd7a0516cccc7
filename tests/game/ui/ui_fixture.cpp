#include "ui_fixture.h"

#include "embedded_archive.h"
#include "game/scene/base_ctrl.h"
#include "game/game_localisation.h"
#include "game/game_module.h"
#include "game/ui/ui_classes.h"
#include "kernel/hw_devices.h"
#include "kernel/input/input.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/visbase/visbase.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "support/test_paths.h"

namespace quarn::test {

namespace {

std::map<std::string, std::string> memory_layouts;

const char *memory_source(const char *path) {
    auto f = memory_layouts.find(path);
    return f == memory_layouts.end() ? nullptr : f->second.c_str();
}

const inp_impulse_name_t no_impulses[] = {{0, nullptr}};

void set_command_line(std::vector<const char *> args) {
    args.insert(args.begin(), "game_tests");
    cdl_init(int(args.size()), args.data());
}

}  // namespace

void ui_fixture_t::SetUp() {
    kernel_fixture_t::SetUp();
    // The scenes of UI tests load no hookup units: their classes are not registered.
    scene_set_hookup_folder("");
    set_command_line({"-mm_pool_size", "32"});
    void *self = dl_lib_t::get_main_handle();
    qrnshared_init(self);
    visbase_init(self);
    ctlbase_init(self);
    fs_startup();
    fs_set_archive_factory(zip_device_create);
    m_builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    ASSERT_NE(m_builtin, nullptr);
    m_temp = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 60);
    ASSERT_NE(m_temp, nullptr);
    mm_init();
    qrnshared_startup();
    inp_start();
    game_module_set_guard(&guard);
    // The game's classes through the module's own rows, then the test classes.
    register_ui_handler_classes(game_row_table_t::linked());
    register_ui_component_classes(game_row_table_t::linked());
    ASSERT_TRUE(register_ui_test_classes(false));
    memory_layouts.clear();
    ui_set_layout_source(&memory_source);
    ASSERT_TRUE(ui_init());
    ASSERT_TRUE(zml_init());
    ui_test_log_t::lines.clear();
    test_text_view_t::forget_dirty_mark = false;
}

void ui_fixture_t::TearDown() {
    scene_set_hookup_folder(nullptr);
    ui_shutdown();
    zml_shutdown();
    ui_set_layout_source(nullptr);
    memory_layouts.clear();
    if (m_localised) {
        lcl_api_release();
        release_localisation();
    }
    unregister_ui_test_classes();
    EXPECT_EQ(guard.hold_count, 0) << "an object of the game's UI classes outlived its window";
    game_module_set_guard(nullptr);
    if (device) {
        inp_shutdown_devices();
        hw_device_remove(device.get());
    }
    kernel_fixture_t::TearDown();
    inp_stop();
    device.reset();
    ufs_unmount(m_temp);
    ufs_unmount(m_builtin);
    fs_shutdown();
    ctlbase_shutdown();
    visbase_shutdown();
    qrnshared_shutdown();
    if (m_loaders) dll_table_forget();
    set_command_line({});
    ui_test_log_t::lines.clear();
}

void ui_fixture_t::layout(const std::string &path, const std::string &text) { memory_layouts[path] = text; }

c_item_t *ui_fixture_t::insert(const char *group, const char *name, const std::string &path, uint32_t flags) {
    return ui_winsert(group, name, flags, path.c_str());
}

void ui_fixture_t::put(const std::string &name, const std::string &text) {
    ASSERT_TRUE(write_file(dir.file(name), text));
}

void ui_fixture_t::key(uint32_t code, bool down, uint32_t modifiers, uint32_t character) {
    ui_event_t e;
    e.type = down ? ui_event_t::KEY_DOWN : ui_event_t::KEY_UP;
    e.code = code;
    e.modifiers = modifiers;
    e.character = character;
    ui_inject_event(e);
}

void ui_fixture_t::pointer(float x, float y) {
    ui_event_t e;
    e.type = ui_event_t::POINTER_MOVE;
    e.x = x;
    e.y = y;
    ui_inject_event(e);
}

void ui_fixture_t::click(float x, float y, uint32_t buttons) {
    pointer(x, y);
    ui_event_t e;
    e.type = ui_event_t::BUTTON_DOWN;
    e.buttons = buttons;
    ui_inject_event(e);
    e.type = ui_event_t::BUTTON_UP;
    ui_inject_event(e);
}

scripted_input_device_t &ui_fixture_t::use_input_device() {
    if (!device) {
        device = std::make_unique<scripted_input_device_t>();
        hw_device_insert(device.get());
        inp_init_input(no_impulses);
        EXPECT_TRUE(inp_init_devices());
        inp_set_active(true);
    }
    return *device;
}

void ui_fixture_t::step(int frames) {
    for (int i = 0; i < frames; ++i) {
        clock.usec += uint64_t(FRAME * 1e6);
        kernel_step();
        context.begin_frame();
        ui_process(&context);
    }
}

std::string ui_fixture_t::dump() const {
    mstring_dyn_t text;
    context.get_draw_log().dump(text);
    return text.c_str();
}

std::string ui_fixture_t::texts() const {
    std::string out;
    const r_draw_log_t &log = context.get_draw_log();
    for (uint32_t i = 0; i < log.ui_count(); ++i)
        if (log.ui(i).ui.kind == 0) out += (out.empty() ? "" : ",") + std::string(log.ui(i).ui.text.c_str());
    return out;
}

bool ui_fixture_t::localise(const char *language) {
    if (!m_loaders) {
        if (!dll_register((test_bin_dir() + "/lib/loaders").c_str())) return false;
        m_loaders = true;
    }
    if (!load_localisation(language)) return false;
    if (!m_localised) lcl_api_request();
    m_localised = true;
    lcl_set_callback(&translate_callback);
    zml_localized(true);
    ui_recache();
    return true;
}

}  // namespace quarn::test
