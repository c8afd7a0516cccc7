#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <cstdlib>
#include <string>

#include "launcher_world.h"
#include "platform/process.h"
#include "platform/user_dirs.h"
#include "support/env_guard.h"
#include "tools/kickup/src/gtk/gtk_desktop.h"
#include "tools/kickup/src/gtk/gtk_dialog_view.h"

namespace quarn::kickup {
namespace {

class collect_t : public platform::process_output_t {
public:
    void on_stdout(const char *d, size_t n) override { text.append(d, n); }
    void on_stderr(const char *d, size_t n) override { text.append(d, n); }
    std::string text;
};

// Without a display this test runs itself again under a virtual X server. GTK keeps
// caches to the end of the process, which the leak checker would take for leaks.
bool rerun_under_xvfb() {
    const char *display = getenv("DISPLAY");
    if (display && *display) return false;
    test::env_guard_t asan("ASAN_OPTIONS"), bridge("NO_AT_BRIDGE"), backend("GDK_BACKEND");
    const char *asan_options = getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan_options ? asan_options : "") + ":detect_leaks=0").c_str(), 1);
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("GDK_BACKEND", "x11", 1);
    char self[4096];
    EXPECT_TRUE(platform::program_path(self, sizeof self));
    const std::string filter = "--gtest_filter=" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) + ".*";
    const char *argv[] = {"xvfb-run", "-a", self, filter.c_str(), "--gtest_brief=1", nullptr};
    collect_t output;
    int code = -1;
    EXPECT_TRUE(platform::process_run(argv, &output, &code)) << "xvfb-run is missing: scripts/setup.sh installs it";
    EXPECT_EQ(code, 0) << output.text;
    EXPECT_NE(output.text.find("[  PASSED  ] 1 test"), std::string::npos) << output.text;
    return true;
}

TEST(launcher_gtk_view, the_dialog_mirrors_the_presenter_and_closes_on_ok) {
    if (rerun_under_xvfb()) return;
    fakes::launcher_world_t world;
    fakes::recording_host_t host;
    auto state = world.state();
    dialog_presenter_t presenter(*state);
    ASSERT_TRUE(presenter.open());
    gtk_desktop_t desktop;
    ASSERT_TRUE(desktop.open_display());
    bool played = false;
    desktop.on_shown = [&](gtk_dialog_view_t &view) {
        played = true;
        EXPECT_TRUE(gtk_widget_get_visible(view.dialog()));
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(view.dialog())), "Harlstock 3D - Launcher Anwendung");
        EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(view.widget(ID_OVERVIEW_DETAILS))), "[ better ]    Besser");
        EXPECT_FALSE(gtk_widget_get_visible(view.widget(ID_SUPPRESS_SETUP)));

        gtk_notebook_set_current_page(view.notebook(), 1);
        EXPECT_EQ(presenter.current_tab(), 1);
        EXPECT_TRUE(gtk_widget_get_visible(view.widget(ID_SUPPRESS_SETUP)));
        EXPECT_FALSE(gtk_widget_get_visible(view.widget(ID_QUALITY_0 + 3)));
        EXPECT_TRUE(gtk_widget_get_visible(view.widget(ID_QUALITY_CUSTOM)));
        EXPECT_FALSE(gtk_widget_get_sensitive(view.widget(ID_QUALITY_CUSTOM)));

        gtk_combo_box_set_active(GTK_COMBO_BOX(view.widget(ID_PATHS)), 0);
        EXPECT_EQ(state->specs()->current_path_id(), 10);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(view.widget(ID_WINDOWED)), TRUE);
        EXPECT_FALSE(state->specs()->fullscreen());
        EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(view.widget(ID_MODES))), presenter.control(ID_MODES).selection);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(view.widget(ID_QUALITY_0 + 2)), TRUE);
        EXPECT_EQ(state->specs()->quality_level(), 2);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(view.widget(ID_SUPPRESS_SETUP)), TRUE);

        gtk_notebook_set_current_page(view.notebook(), 0);
        EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(view.widget(ID_OVERVIEW_DETAILS))), "[ best ]    Hoch");
        gtk_button_clicked(GTK_BUTTON(view.widget(ID_OK)));
    };
    desktop.run_dialog(presenter, 0);
    EXPECT_TRUE(played);
    EXPECT_EQ(presenter.result(), DIALOG_OK);
    EXPECT_TRUE(state->registry().suppress_setup);
    EXPECT_TRUE(host.shown.empty());
}

}  // namespace
}  // namespace quarn::kickup
