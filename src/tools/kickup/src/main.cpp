// The launcher program: the arguments, the real machine and the GTK desktop.
#include <string>
#include <vector>

#include "gtk/gtk_desktop.h"
#include "kickup.h"
#include "platform/user_dirs.h"

int main(int argc, char **argv) {
    using namespace quarn::kickup;
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    char self[4096];
    const std::string launcher_path = quarn::platform::program_path(self, sizeof self) ? self : (argc > 0 ? argv[0] : "");
    gtk_desktop_t desktop;
    set_message_host(&desktop);
    const auto machine = system_machine();
    const auto spawner = system_spawner();
    launcher_app_t app(std::move(args), launcher_path, *machine, *spawner, desktop);
    const int code = app.run();
    set_message_host(nullptr);
    return code;
}
