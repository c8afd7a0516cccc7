// The translation table of the current language, obtained from the memory manager
// through the ".def" loader of "lib/loaders", and the callback that answers keys,
// the key binding and font keys included.
#include <gtest/gtest.h>

#include <string>

#include "game/game_localisation.h"
#include "kernel/console/cvars.h"
#include "kernel/input/input.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

const inp_impulse_name_t impulses[] = {{130, "weap_fire"}, {131, "weap_reload"}, {0, nullptr}};

class game_localisation : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        qrnshared_init(dl_lib_t::get_main_handle());
        ctlbase_init(dl_lib_t::get_main_handle());
        fs_startup();
        put("full/local0.def", R"(def translate {
            plain: "Plain text"
            empty: ""
            g_oc_primaryplussecondary: "%s or %s"
            g_oc_notrigger: "unbound"
            __fnt_ui: "sans"
            __fnt_ui_768: "sans 16"
            __fnt_ui_x: "sans 14"
            __fnt_wide_x: "sans 12"
        })");
        // Data that asks for more than it is given, and for a write through "%n".
        put("evil/local0.def", R"(def translate { g_oc_primaryplussecondary: "%s %n%d %s %s" })");
        put("bare/local0.def", R"(def other { plain: "Other" })");
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/l10n", true, 0);
        ASSERT_NE(m_mount, nullptr);
        mm_init();
        ASSERT_NE(dll_register((test_bin_dir() + "/lib/loaders").c_str()), nullptr);
        inp_start();
        inp_init_input(impulses);
        cvar_register_variable(&language);
    }
    void TearDown() override {
        release_localisation();
        cvar_unregister_variable(&language);
        kernel_fixture_t::TearDown();
        inp_stop();
        ufs_unmount(m_mount);
        fs_shutdown();
        ctlbase_shutdown();
        qrnshared_shutdown();
        dll_table_forget();
        const char *args[] = {"game_tests"};
        cdl_init(1, args);
    }
    void put(const std::string &name, const std::string &text) { ASSERT_TRUE(write_file(dir.file(name), text)); }
    // Binds the first n of Left Ctrl and Right Ctrl to "weap_fire", none of them
    // otherwise.
    void bind_fire(int n) {
        inp_impulse_t *fire = inp_get_impulse_name("weap_fire");
        _inp_unbind_impulse(fire);
        if (n > 0) _inp_bind_impulse(inp_get_trigger_name("lctrl"), fire, 0);
        if (n > 1) _inp_bind_impulse(inp_get_trigger_name("rctrl"), fire, 0);
    }

    temp_dir_t dir;
    fs_device_t *m_mount = nullptr;
    cvar_t language{"g_lang", "en_us"};
    message_capture_t log;
};

TEST_F(game_localisation, keys_translate_by_the_table_of_the_language) {
    struct case_t {
        const char *language;
        const char *key;
        int fire_triggers;
        const char *expected;
    };
    const case_t cases[] = {
        // No table, or no "translate" object: every key is its own text.
        {"none", "plain", 0, "plain"},
        {"none", "__fnt_ui", 0, "__fnt_ui"},
        {"none", "__key_weap_fire", 2, "__key_weap_fire"},
        {"bare", "plain", 0, "plain"},
        {"full", "plain", 0, "Plain text"},
        {"full", "empty", 0, "empty"},
        {"full", "missing", 0, "missing"},
        // Fonts: the entry for the screen height (768 until a screen reports), else "_x".
        {"full", "__fnt_ui", 0, "sans 16"},
        {"full", "__fnt_wide", 0, "sans 12"},
        {"full", "__fnt_none", 0, "__fnt_none"},
        {"full", "__key_weap_fire", 2, "[Left Ctrl or Right Ctrl]"},
        {"full", "__key_weap_fire", 1, "[Left Ctrl]"},
        {"full", "__key_weap_fire", 0, "[unbound]"},
        {"full", "__key_weap_reload", 0, "[unbound]"},
        // Commands without a trigger of their own show their default trigger.
        {"full", "__key_screenshot", 0, "[F10]"},
        {"full", "__key_GamePause", 0, "[Pause]"},
        {"full", "__key_ingamemenu", 0, "[Esc]"},
        {"full", "__key_unheard_of", 0, "[unbound]"},
        {"full", "__language", 0, "en_us"},
        // The translation is data: its places are filled by the checked formatter.
        {"evil", "__key_weap_fire", 2, "[Left Ctrl %n%d Right Ctrl %s]"},
        {"evil", "__key_weap_fire", 0, "[g_oc_notrigger]"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(std::string(c.language) + " " + c.key);
        EXPECT_EQ(load_localisation(c.language), std::string(c.language) != "none");
        EXPECT_EQ(game_localisation_pool() != nullptr, std::string(c.language) != "none");
        bind_fire(c.fire_triggers);
        EXPECT_STREQ(translate_callback(c.key), c.expected);
    }
    // A bound command shows its own trigger.
    load_localisation("full");
    _inp_bind_command(inp_get_trigger_name("p"), "screenshot", false, 0);
    EXPECT_STREQ(translate_callback("__key_screenshot"), "[P]");
    inp_unbind_command("screenshot");
    EXPECT_EQ(log.texts(message_t::ERROR), std::vector<std::string>{}) << "a missing table is no error";
}

TEST_F(game_localisation, the_table_goes_with_its_release) {
    const uint32_t items = mm_get_process()->get_manager().get_item_count();
    ASSERT_TRUE(load_localisation("full"));
    EXPECT_EQ(mm_get_process()->get_manager().get_item_count(), items + 1);
    EXPECT_EQ(mm_get_process()->get_manager().find("/l10n/full/local0.def"), nullptr) << "private: shared with none";
    ASSERT_TRUE(load_localisation("bare")) << "the earlier table goes first";
    EXPECT_EQ(mm_get_process()->get_manager().get_item_count(), items + 1);
    release_localisation();
    EXPECT_EQ(game_localisation_pool(), nullptr);
    EXPECT_STREQ(translate_callback("plain"), "plain");
    EXPECT_EQ(mm_get_process()->get_manager().get_item_count(), items) << "destroyed with its last reference";
}

}  // namespace
}  // namespace quarn::test
