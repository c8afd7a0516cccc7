#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/modules.h"
#include "platform/process.h"
#include "platform/user_dirs.h"
#include "platform/user_name.h"
#include "support/env_guard.h"
#include "support/temp_dir.h"

namespace quarn::platform {
namespace {

class collect_t : public process_output_t {
public:
    void on_stdout(const char *d, size_t n) override { out.append(d, n); }
    void on_stderr(const char *d, size_t n) override { err.append(d, n); }
    std::string out, err;
};

TEST(platform_process, arguments_are_passed_apart_and_never_through_a_shell) {
    const char *argv[] = {"/bin/sh", "-c", "printf '%s|' \"$@\"; echo e >&2; exit 3", "sh", "a b", "$HOME", nullptr};
    collect_t c;
    int code = 0;
    ASSERT_TRUE(process_run(argv, &c, &code));
    EXPECT_EQ(code, 3);
    EXPECT_EQ(c.out, "a b|$HOME|");
    EXPECT_EQ(c.err, "e\n");
}

TEST(platform_process, silent_missing_and_large_output) {
    collect_t c;
    int code = 99;
    const char *silent[] = {"true", nullptr};
    ASSERT_TRUE(process_run(silent, &c, &code));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(c.out.empty() && c.err.empty());

    const char *missing[] = {"/nonexistent/program", nullptr};
    code = 99;
    EXPECT_FALSE(process_run(missing, &c, &code));
    EXPECT_EQ(code, 99);

    // A megabyte on each stream: reading both while the child runs keeps it from
    // blocking on a full pipe.
    const char *big[] = {"/bin/sh", "-c", "head -c 1048576 /dev/zero; head -c 1048576 /dev/zero >&2", nullptr};
    collect_t b;
    ASSERT_TRUE(process_run(big, &b, &code));
    EXPECT_EQ(b.out.size(), 1048576u);
    EXPECT_EQ(b.err.size(), 1048576u);
}

TEST(platform_process, started_programs_run_in_their_folder_and_may_be_waited_for) {
    test::temp_dir_t dir;
    const std::string out = dir.file("out.txt");
    const char *argv[] = {"/bin/sh", "-c", "pwd > \"$0\"; printf '%s|' \"$@\" >> \"$0\"; exit 4", out.c_str(),
                          "a b", "$HOME", nullptr};
    int code = 0;
    ASSERT_TRUE(process_start(argv, dir.path().c_str(), true, &code));
    EXPECT_EQ(code, 4);
    EXPECT_EQ(test::read_file(out), dir.path() + "\na b|$HOME|");

    EXPECT_FALSE(process_start(argv, dir.file("missing").c_str(), true, &code));
    const char *missing[] = {"/nonexistent/program", nullptr};
    EXPECT_FALSE(process_start(missing, nullptr, false, &code));
    EXPECT_FALSE(process_start(nullptr, nullptr, false, &code));
    // Not waited for: it returns while the program still runs.
    const char *quick[] = {"true", nullptr};
    EXPECT_TRUE(process_start(quick, nullptr, false, nullptr));
}

TEST(platform_process, only_web_addresses_are_opened) {
    EXPECT_FALSE(process_open_url("file:///etc/passwd"));
    EXPECT_FALSE(process_open_url("-h"));
    EXPECT_FALSE(process_open_url(nullptr));
}

TEST(platform_modules, main_program_and_missing_libraries) {
    module_t main = module_main();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main, module_main());
    EXPECT_EQ(module_open("/nonexistent/lib.so"), nullptr);
    EXPECT_NE(std::string(module_error()), "");
    module_t libc = module_open("libc.so.6");
    ASSERT_NE(libc, nullptr);
    EXPECT_NE(module_symbol(libc, "strlen"), nullptr);
    EXPECT_EQ(module_symbol(libc, "no_such_symbol_here"), nullptr);
    module_close(libc);
    module_close(main);  // never closed
    EXPECT_EQ(module_main(), main);
}

TEST(platform_user_dirs, documents_from_the_environment) {
    test::env_guard_t home("HOME"), xdg("XDG_DOCUMENTS_DIR"), tmp("TMPDIR");
    test::temp_dir_t dir;
    char out[4096];
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("HOME", (dir.path() + "/").c_str(), 1);
    ASSERT_TRUE(user_documents_dir(out, sizeof out));
    EXPECT_EQ(std::string(out), dir.path() + "/Documents");
    setenv("XDG_DOCUMENTS_DIR", "/docs/here/", 1);
    ASSERT_TRUE(user_documents_dir(out, sizeof out));
    EXPECT_STREQ(out, "/docs/here");
    char small[4];
    EXPECT_FALSE(user_documents_dir(small, sizeof small));
    unsetenv("TMPDIR");
    ASSERT_TRUE(user_temp_dir(out, sizeof out));
    EXPECT_STREQ(out, "/tmp");
    ASSERT_TRUE(program_dir(out, sizeof out));
    EXPECT_EQ(out[0], '/');
}

// The effective user's login name, as the user database has it; a buffer too small
// for it gets nothing.
TEST(platform_user, the_name_is_the_effective_users_login_name) {
    const passwd *entry = getpwuid(geteuid());
    const std::string expected = entry && entry->pw_name ? entry->pw_name : "";
    char name[257] = "left over";
    ASSERT_TRUE(user_name(name, sizeof name));
    EXPECT_EQ(std::string(name), expected);
    if (!expected.empty()) {
        char small[257];
        EXPECT_FALSE(user_name(small, expected.size()));  // no room for the terminator
        EXPECT_STREQ(small, "");
    }
    EXPECT_FALSE(user_name(name, 0));
}

}  // namespace
}  // namespace quarn::platform
