#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "program_run.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

// The kernel functions the device plug-ins bind by name, group by group, and whether
// the kernel has them yet. The list grows with the kernel; every name marked built
// must resolve in the built program.
struct export_group_t {
    const char *group;
    bool built;
    const char *names;
};

const export_group_t export_groups[] = {
    {"cmd/cvar", true,
     "_cmd_register_command cmd_unregister_command cmd_register_queue cmd_unregister_queue cmd_process_queue "
     "_cmd_execute cmd_get cmd_get_list _cmd_execute_block _cvar_register_variable cvar_unregister_variable "
     "cvar_link cvar_unlink cvar_get cvar_get_list"},
    {"hw", true,
     "hw_device_insert hw_device_remove hw_device_count hw_device_get hw_init hw_shutdown hw_suspend hw_revive"},
    {"sys", true,
     "sys_pause sys_frame sys_get_system_string sys_version sys_get_time sys_get_lastdelta sys_get_random_seed "
     "sys_rand sys_fail_run"},
    {"process", true,
     "process_add process_terminate_all process_get process_pid_get process_sleep process_wakeup process_store_cfg "
     "process_hw_lock process_hw_unlock process_mm_lock process_mm_unlock process_register_message_loop"},
    {"mm (heap)", true, "mem_sys_alloc mem_sys_free"},
    {"mm (memory manager)", true,
     "mm_register_loader mm_unregister_loader _mm_obtain_resource mm_refresh_resource mm_warn_refresh "
     "_mm_hw_free_unreferenced _mm_mem_free_unreferenced _mm_hw_free_all _mm_mem_free_all _mm_remove_unreferenced "
     "mm_alloc_mem mm_free_mem mem_sys_calloc mem_sys_realloc get_engine_usystem get_engine_ubank"},
    {"gfx", true,
     "gfx_driver_register gfx_driver_unregister gfx_driver_count gfx_driver_get gfx_driver_enum gfx_driver_name "
     "gfx_device_count gfx_device_get gfx_device_enum gfx_device_init gfx_device_shutdown gfx_device_get_hw_state "
     "gfx_set_rendering_device gfx_get_rendering_device gfx_init_devices gfx_shutdown_devices gfx_alloc_buffer "
     "gfx_free_buffer gfx_buffer_set_fill gfx_get_default_buffer gfx_alloc_proto gfx_free_proto gfx_alloc_packet gfx_free_packet "
     "gfx_cache_alloc gfx_cache_push gfx_cache_pop gfx_cache_sweep gfx_cache_data gfx_sub_bitmap gfx_bitmap "
     "_gfx_sprite ui_get_parameter_packet_array gfx_screen_capture gfx_try_capture gfx_swapbuffers gfx_hw_flush "
     "gfx_get_texture_detail gfx_get_anisotropy_factor gfx_quirks_enabled gfx_get_desktop_mode gfx_mode_current "
     "gfx_is_active gfx_set_active gfx_set_win_properties gfx_available_path_count gfx_available_path "
     "gfx_is_path_available gfx_begin_frame gfx_end_frame gfx_set_gamma gfx_pixelformat_choose gfx_fbuffer_create "
     "gfx_fbuffer_destroy gfx_drawable_create gfx_drawable_destroy gfx_drawable_get_size gfx_drawable_begin_update "
     "gfx_drawable_end_update gfx_drawable_surface_begin_update gfx_drawable_surface_end_update "
     "gfx_drawable_context gfx_mode_count gfx_mode_get gfx_mode_init gfx_mode_shutdown gfx_texel_offset "
     "gfx_reset_stats gfx_get_image gfx_hw_load gfx_hw_free debug_lines_add_strip debug_lines_add_line "
     "debug_lines_add_box debug_lines_flush screenshot_save"},
    {"oswindow", true,
     "oswindow_init oswindow_shutdown oswindow_activate_main_window oswindow_process_message_queue "
     "oswindow_is_application_active oswindow_is_monitor_active oswindow_hold_reactions oswindow_get_window "
     "oswindow_create oswindow_destroy oswindow_attach oswindow_detach oswindow_show oswindow_hide "
     "oswindow_set_properties oswindow_get_properties oswindow_move_to oswindow_set_title"},
    {"inp", true,
     "inp_init_devices inp_shutdown_devices inp_init_input inp_thaw_input inp_freeze_input inp_is_active "
     "inp_set_active inp_handle_impulses inp_mouse_reports_delta inp_set_mouse_reports_delta "
     "inp_set_mouse_sensitivity inp_get_mouse_sensitivity _inp_get_trigger_name _inp_get_trigger_code "
     "inp_impulse_value inp_impulse_is_activated _inp_get_impulse_name _inp_get_impulse_code _inp_name_impulse "
     "_inp_bind_command _inp_bind_impulse _inp_unbind_impulse inp_unbind_command _inp_search_trigger_impulse "
     "_inp_search_trigger_command inp_reset_impulses inp_joy_switch inp_joy_get_name inp_joy_get_axis_name "
     "inp_joy_get_count _inp_joy_set_dead_zone inp_joy_get_dead_zone inp_trackir_init inp_trackir_is_present "
     "inp_trackir_is_active inp_trackir_get_axis_data inp_trackir_enable inp_trackir_disable inp_cursor_info "
     "inp_cursor_info_set inp_fetch_keycode inp_reset_keycode_queue inp_event inp_force_stop inp_force_create "
     "inp_force_destroy inp_force_play inp_force_change inp_store_bindings _inp_restore_bindings"},
    {"snd", true,
     "_snd_create _snd_create_oneshot snd_finish snd_update_state snd_enforce_attributes snd_set_current_tag "
     "snd_listener snd_rolloff_factor snd_distance_factor snd_def_mm_distances snd_get_length "
     "snd_get_music_volume snd_get_sfx_volume snd_is_accelerated snd_is_stereo_reversed snd_device_count "
     "snd_device_get snd_eval_devicestring snd_restart snd_device_info snd_init_devices snd_shutdown_devices "
     "snd_device_suspend snd_device_revive snd_device_shutdown snd_device_current"},
    {"net", true,
     "net_iface_register net_iface_alloc net_iface_free net_iface_add net_iface_del net_iface_create "
     "net_iface_destroy net_iface_ioctl net_iface_set net_iface_connect net_iface_bind net_iface_send "
     "net_iface_recv net_iface_get_address net_iface_saddr_alloc net_iface_saddr_free net_sock_alloc "
     "net_sock_iface net_sock_bind net_sock_connect net_sock_avail net_sock_recv net_sock_recvfrom net_sock_sendv "
     "net_sock_sendtov net_sock_close net_sock_free"},
    {"game module", true, "game_get_dl_ops"},
};

// Sets an environment variable for the programs this test starts.
TEST(program_plugins, the_program_exports_what_plug_ins_bind) {
    program_copy_t program;
    program.add_plugin("inpdev", test_plugins_dir() + "/testplug.so");
    program.add_build_plugins();
    program.set_home_config("quit\n");
    {
        // One name a line, for the plug-in to look up in the program.
        std::ofstream list(program.file("symbols.txt"));
        for (const auto &g : export_groups) {
            std::istringstream words(g.names);
            for (std::string name; words >> name;) list << name << "\n";
        }
    }
    scoped_env_t symbols("TESTPLUG_SYMBOLS", program.file("symbols.txt"));
    scoped_env_t report("TESTPLUG_REPORT", program.file("report.txt"));
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;

    std::map<std::string, bool> resolved;
    std::istringstream lines(read_file(program.file("report.txt")));
    std::string name, status;
    while (lines >> name >> status) resolved[name] = status == "ok";
    for (const auto &g : export_groups) {
        std::istringstream words(g.names);
        std::string missing, present;
        while (words >> name) {
            ASSERT_TRUE(resolved.count(name)) << "the plug-in did not look up " << name;
            (resolved[name] ? present : missing) += " " + name;
        }
        if (g.built) {
            EXPECT_TRUE(missing.empty()) << g.group << " is built but does not export:" << missing;
        } else {
            std::cout << "[ note     ] not built yet (" << g.group << "):" << (missing.empty() ? " none" : missing)
                      << "\n";
        }
    }
}

// The device plug-ins may be missing: the game runs without sound or input. A "quit"
// of the home configuration ends the run at the game's first frame.
TEST(program_plugins, a_headless_boot_with_a_test_plug_in_and_the_game_module) {
    program_copy_t program;
    program.add_plugin("inpdev", test_plugins_dir() + "/testplug.so");
    program.add_plugin("loaders", test_bin_dir() + "/lib/loaders.so");
    program.add_plugin("gl", test_bin_dir() + "/lib/gl.so");
    program.set_home_config("quit\n");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {
                                          "[qrnshared] running",
                                          "[sys] Can not load the library 'lib/snddev.so'",
                                          "[testplug] symbols",
                                          "[testplug] registered",
                                          "[game] Fernwold init ver.1.52D",
                                          "quit",
                                          "[testplug] process destroyed",
                                          "[testplug] unregistered",
                                          "[sys] process shutdown",
                                      }));
}

TEST(program_plugins, a_signal_runs_quit_and_the_run_ends_cleanly) {
    program_copy_t program;
    program.add_plugin("inpdev", test_plugins_dir() + "/testplug.so");
    program.add_build_plugins();
    scoped_env_t raise_after("TESTPLUG_RAISE", "3");
    // The game runs until something else ends the run; the plug-in sends SIGTERM.
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"[game] Fernwold init ver.1.52D", "menu", "[sys] stop requested", "quit",
                                       "[sys] process shutdown"}));
}

TEST(program_plugins, a_plug_in_that_refuses_is_released_and_the_run_goes_on) {
    program_copy_t program;
    program.add_plugin("snddev", test_plugins_dir() + "/testplug.so");
    program.add_plugin("inpdev", test_plugins_dir() + "/noentry.so");
    program.add_build_plugins();
    program.set_home_config("quit\n");
    scoped_env_t fail("TESTPLUG_FAIL", "register");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"[testplug] registered", "[sys] 'lib/inpdev.so' is not a Quarn3D dynamic "
                                                                "library - misses entrypoint 'inpdev_get_dl_ops'",
                                       "[game] Fernwold init ver.1.52D", "[sys] process shutdown"}));
}

}  // namespace
}  // namespace quarn::test
