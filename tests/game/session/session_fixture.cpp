#include "game/session/session_fixture.h"

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/test_paths.h"

namespace quarn::test {

namespace {

std::string row_of(const recording_ui_t::window_t &w) { return w.group + "/" + w.name; }

// A file whose writes fail past a number of bytes.
class limited_file_t : public file_proxy_t {
public:
    limited_file_t(auto_ptr_t<file_t> &inner, uint64_t limit) : file_proxy_t(inner), m_limit(limit) {}

protected:
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override {
        if (offset + len > m_limit) return false;
        return file_proxy_t::io_write(buf, len, offset);
    }

private:
    uint64_t m_limit;
};

bool is_temporary(const string &path) {
    const size_t n = strlen(path.c_str());
    return n > 4 && strcmp(path.c_str() + n - 4, ".tmp") == 0;
}

}  // namespace

// ---- recording_ui_t ----

c_item_t *recording_ui_t::insert_window(const char *group, const char *name, uint32_t flags, const char *layout) {
    calls.push_back(std::string("insert ") + group + "/" + name + " " + std::to_string(flags) + " " + layout);
    if (refuse) return nullptr;
    auto w = std::make_unique<window_t>();
    w->group = group;
    w->name = name;
    w->add_ref();  // the table's own
    windows.push_back(std::move(w));
    return windows.back().get();
}

void recording_ui_t::show_window(c_item_t *window, uint32_t flags) {
    calls.push_back("show " + row_of(*static_cast<window_t *>(window)) + " " + std::to_string(flags));
}

void recording_ui_t::hide_window(c_item_t *window) {
    calls.push_back("hide " + row_of(*static_cast<window_t *>(window)));
}

void recording_ui_t::remove_window(c_item_t *window) {
    auto *w = static_cast<window_t *>(window);
    calls.push_back("remove " + row_of(*w));
    w->release_ref();
}

// ---- failing_dir_t ----

failing_dir_t::failing_dir_t(const std::string &path) : fs_device_t(string::EMPTY, false) {
    m_inner = fs_create_device(FS_DEVICE_DIRECTORY, string(path.c_str()), false).release();
    set_valid(m_inner && m_inner->is_valid());
}

failing_dir_t::~failing_dir_t() { delete m_inner; }

auto_ptr_t<file_t>::ret_t failing_dir_t::open(const string &path) { return m_inner->open(path); }

auto_ptr_t<file_t>::ret_t failing_dir_t::create(const string &path) {
    auto_ptr_t<file_t> file = m_inner->create(path);
    if (!file || write_limit < 0 || !is_temporary(path)) return file;
    return auto_ptr_t<file_t>(new limited_file_t(file, uint64_t(write_limit)));
}

auto_ptr_t<file_t>::ret_t failing_dir_t::append(const string &path) { return m_inner->append(path); }
bool failing_dir_t::remove(const string &path) { return m_inner->remove(path); }
bool failing_dir_t::stat(const string &path, fs_stat_t *out) { return m_inner->stat(path, out); }
bool failing_dir_t::get_system_path(mstring_t &out, const string &path) { return m_inner->get_system_path(out, path); }
bool failing_dir_t::mkdir(const string &path) { return m_inner->mkdir(path); }
auto_ptr_t<fs_dirlist_t>::ret_t failing_dir_t::read_dir(const string &path, bool full_paths) {
    return m_inner->read_dir(path, full_paths);
}

// ---- session_fixture_t ----

int session_fixture_t::record_init_round(const cmd_context_t *c) {
    std::string line = "init_round";
    for (uint32_t i = 1; i < c->argc(); ++i) line += std::string(" ") + c->argv(i);
    game_data_t *data = get_game_data();
    if (data && data->round_start_pending) line += " pending";
    commands.push_back(line);
    return cmd_t::DONE;
}

int session_fixture_t::record_menu(const cmd_context_t *c) {
    std::string line = "menu";
    for (uint32_t i = 1; i < c->argc(); ++i) line += std::string(" ") + c->argv(i);
    commands.push_back(line);
    return cmd_t::DONE;
}

bool session_fixture_t::fixed_user_name(char *out, size_t size) {
    if (user.size() + 1 > size) return false;
    memcpy(out, user.c_str(), user.size() + 1);
    return true;
}

uint32_t session_fixture_t::counting_value() { return next_value++; }

void session_fixture_t::SetUp() {
    static const savegame_binding_t fixed = {&fixed_user_name, &counting_value};
    commands.clear();
    user = "ranger";
    next_value = 0xbeef0001;
    savegame_set_binding(&fixed);
    live_before = unit_base_t::get_live_count();

    ASSERT_TRUE(score_u::register_class(bank));
    ASSERT_TRUE(score_table_u::register_class(bank));
    ASSERT_TRUE(savegame_u::register_class(bank));
    system = new unit_system_t(bank);
    system->set_default();

    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    std::filesystem::create_directories(dir.file("home"));
    fs_startup();
    home = new failing_dir_t(dir.file("home"));
    ASSERT_TRUE(home->is_valid());
    ASSERT_TRUE(ufs_mount_device(home, "/home", 0));
    defaults = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin/script").c_str(), "/script", true, 0);
    ASSERT_NE(defaults, nullptr);

    cvar_register_variable(&player_name);
    cmd_register_command(&init_round);
    cmd_register_command(&menu);
}

void session_fixture_t::TearDown() {
    session.reset();
    cmd_unregister_command(&init_round);
    cmd_unregister_command(&menu);
    cvar_unregister_variable(&player_name);
    if (defaults) ufs_unmount(defaults);
    if (home) {
        ufs_unmount_device(home);
        delete home;
    }
    fs_shutdown();
    unit_system_t::clean_garbage();
    delete system;
    savegame_set_binding(nullptr);
    score_set_cipher_ops(nullptr);
    EXPECT_EQ(unit_base_t::get_live_count(), live_before) << "units leaked";
}

front_end_session_t &session_fixture_t::start_session() {
    session.reset();
    session = std::make_unique<front_end_session_t>(&ui);
    return *session;
}

std::vector<std::string> session_fixture_t::home_listing() const {
    std::vector<std::string> names;
    for (const auto &e : std::filesystem::directory_iterator(dir.file("home"))) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

void session_fixture_t::use_defaults(const std::string &text) {
    ufs_unmount(defaults);
    ASSERT_TRUE(write_file(dir.file("defaults/scores.unit"), text));
    defaults = ufs_mount(FS_DEVICE_DIRECTORY, dir.file("defaults").c_str(), "/script", true, 0);
    ASSERT_NE(defaults, nullptr);
}

}  // namespace quarn::test
