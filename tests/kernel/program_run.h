#pragma once
// Runs the built game program headless as a child process and collects what it left:
// exit code, standard output and error, and the lines of its log (timestamps cut).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quarn::test {

struct program_result_t {
    bool started = false;
    int exit_code = -1;
    std::string out, err;
    std::vector<std::string> log;  // the log file's lines without "HH:MM:SS : "
};

// The game program of this build.
std::string program_path();
// Runs the program with args; the log goes to log_path (given with "-log").
program_result_t run_program(const std::vector<std::string> &args, const std::string &log_path);
program_result_t run_program_at(const std::string &program, const std::vector<std::string> &args,
                                const std::string &log_path);

// Sets an environment variable for the life of the object, then removes it.
class scoped_env_t {
public:
    scoped_env_t(const char *name, const std::string &value);
    ~scoped_env_t();
    scoped_env_t(const scoped_env_t &) = delete;
    scoped_env_t &operator=(const scoped_env_t &) = delete;

private:
    const char *m_name;
};

// The program placed in a folder of its own beside the build's "base.tzk", whose lib/
// holds the plug-ins a test puts there (the program always loads "lib/snddev",
// "lib/loaders", "lib/gl" and "lib/inpdev" from its own folder). Its runs keep the
// user's documents ("docs/", the game's home is "docs/Fernwold") and configuration
// ("config/") inside the folder.
class program_copy_t {
public:
    // The build's game program, or another program built as it is (the directed
    // runs' fernwold_director).
    explicit program_copy_t(const std::string &program = program_path());
    // Makes lib/NAME.so the given file.
    void add_plugin(const std::string &name, const std::string &file);
    // Adds the build's plug-ins of every name not given yet.
    void add_build_plugins();
    // Takes "base.tzk" away: the game then has no data to mount.
    void remove_base_archive();
    // The game's home configuration "/home/config.cfg" holds these lines (a "quit"
    // there ends the run at the game's first frame).
    void set_home_config(const std::string &lines);
    // Empties the documents and configuration folders, as a first start finds them
    // (the game makes its home "docs/Fernwold").
    void fresh_user_folders();
    // Runs it; the log is written beside it unless a path is given.
    program_result_t run(const std::vector<std::string> &args, const std::string &log_path = "");
    // Runs it with the variables ("NAME=value") set for the program alone (through
    // env(1), with the user folders'), so that copies may run at once from several
    // threads; the log is written beside it. A wrapper command (a virtual X server's
    // "xvfb-run ...") starts the program when one is given.
    program_result_t run_with(const std::vector<std::string> &variables, const std::vector<std::string> &args,
                              const std::vector<std::string> &wrapper = {});
    const std::string &path() const { return m_dir.path(); }
    std::string file(const std::string &name) const { return m_dir.file(name); }
    std::string home_file(const std::string &name) const { return m_dir.file("docs/Fernwold/" + name); }

private:
    temp_dir_t m_dir;
};
// The log file's lines without their time stamps.
std::vector<std::string> log_lines(const std::string &path);
// True when every line of expected occurs in lines, in that order (each as the start
// of a line); on failure, says which one is missing.
::testing::AssertionResult lines_in_order(const std::vector<std::string> &lines,
                                          const std::vector<std::string> &expected);

// Runs kernel_main in this process, from the folder dir, with "-nocpu" added; checks
// that dir is the working directory again afterwards. Returns the exit code.
int run_kernel_from(const std::string &dir, std::vector<const char *> args);

}  // namespace quarn::test
