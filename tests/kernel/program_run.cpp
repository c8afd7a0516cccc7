#include "program_run.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "kernel/kernel.h"
#include "kernel/plugins.h"
#include "platform/process.h"
#include "platform/user_dirs.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {

namespace {

class collect_t : public platform::process_output_t {
public:
    explicit collect_t(program_result_t &r) : m_r(r) {}
    void on_stdout(const char *d, size_t n) override { m_r.out.append(d, n); }
    void on_stderr(const char *d, size_t n) override { m_r.err.append(d, n); }

private:
    program_result_t &m_r;
};

// Runs the command line (program first) and reads the log it wrote at log_path.
program_result_t run_command(const std::vector<std::string> &all, const std::string &log_path) {
    std::vector<const char *> argv;
    for (const auto &a : all) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    program_result_t result;
    collect_t collect(result);
    result.started = platform::process_run(argv.data(), &collect, &result.exit_code);
    result.log = log_lines(log_path);
    return result;
}

}  // namespace

std::string program_path() { return test_bin_dir() + "/fernwold"; }

scoped_env_t::scoped_env_t(const char *name, const std::string &value) : m_name(name) {
    setenv(name, value.c_str(), 1);
}

scoped_env_t::~scoped_env_t() { unsetenv(m_name); }

program_copy_t::program_copy_t(const std::string &program) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_hard_link(program, m_dir.file("fernwold"), ec);
    if (ec) fs::copy_file(program, m_dir.file("fernwold"), ec);
    EXPECT_FALSE(ec) << "cannot place the program in " << m_dir.path();
    fs::create_directory(m_dir.file("lib"));
    fs::create_directories(m_dir.file("docs/Fernwold"));
    fs::create_directory(m_dir.file("config"));
    fs::create_symlink(test_bin_dir() + "/base.tzk", m_dir.file("base.tzk"), ec);
    EXPECT_FALSE(ec) << "base.tzk";
}

void program_copy_t::add_plugin(const std::string &name, const std::string &file) {
    std::error_code ec;
    std::filesystem::create_symlink(file, m_dir.file("lib/" + name + ".so"), ec);
    EXPECT_FALSE(ec) << name;
}

void program_copy_t::add_build_plugins() {
    for (const char *name : {"snddev", "loaders", "gl", "inpdev"}) {
        const std::string at = m_dir.file(std::string("lib/") + name + ".so");
        if (!std::filesystem::is_symlink(at)) add_plugin(name, test_bin_dir() + "/lib/" + name + ".so");
    }
}

void program_copy_t::remove_base_archive() { std::filesystem::remove(m_dir.file("base.tzk")); }

void program_copy_t::fresh_user_folders() {
    namespace fs = std::filesystem;
    for (const char *folder : {"docs", "config"}) {
        fs::remove_all(m_dir.file(folder));
        fs::create_directory(m_dir.file(folder));
    }
}

void program_copy_t::set_home_config(const std::string &lines) {
    std::ofstream(home_file("config.cfg"), std::ios::binary) << lines;
}

program_result_t program_copy_t::run(const std::vector<std::string> &args, const std::string &log_path) {
    scoped_env_t docs("XDG_DOCUMENTS_DIR", m_dir.file("docs"));
    scoped_env_t config("XDG_CONFIG_HOME", m_dir.file("config"));
    return run_program_at(m_dir.file("fernwold"), args, log_path.empty() ? m_dir.file("run.log") : log_path);
}

program_result_t program_copy_t::run_with(const std::vector<std::string> &variables,
                                          const std::vector<std::string> &args, const std::vector<std::string> &wrapper) {
    std::vector<std::string> all{"env", "XDG_DOCUMENTS_DIR=" + m_dir.file("docs"),
                                 "XDG_CONFIG_HOME=" + m_dir.file("config")};
    all.insert(all.end(), variables.begin(), variables.end());
    all.insert(all.end(), wrapper.begin(), wrapper.end());
    all.insert(all.end(), {m_dir.file("fernwold"), "-log", m_dir.file("run.log")});
    all.insert(all.end(), args.begin(), args.end());
    return run_command(all, m_dir.file("run.log"));
}

std::vector<std::string> log_lines(const std::string &path) {
    std::vector<std::string> lines;
    std::istringstream in(read_file(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t mark = line.find(" : ");
        if (mark != std::string::npos && line.rfind("****", 0) != 0) line = line.substr(mark + 3);
        lines.push_back(line);
    }
    return lines;
}

program_result_t run_program(const std::vector<std::string> &args, const std::string &log_path) {
    return run_program_at(program_path(), args, log_path);
}

program_result_t run_program_at(const std::string &program, const std::vector<std::string> &args,
                                const std::string &log_path) {
    std::vector<std::string> all{program, "-log", log_path};
    all.insert(all.end(), args.begin(), args.end());
    return run_command(all, log_path);
}

::testing::AssertionResult lines_in_order(const std::vector<std::string> &lines,
                                          const std::vector<std::string> &expected) {
    size_t at = 0;
    for (const auto &want : expected) {
        while (at < lines.size() && lines[at].rfind(want, 0) != 0) ++at;
        if (at == lines.size()) {
            std::string all;
            for (const auto &l : lines) all += "\n  " + l;
            return ::testing::AssertionFailure() << "missing, or out of order: \"" << want << "\" in" << all;
        }
        ++at;
    }
    return ::testing::AssertionSuccess();
}

int run_kernel_from(const std::string &dir, std::vector<const char *> args) {
    char before[4096];
    EXPECT_TRUE(platform::working_dir_get(before, sizeof before));
    EXPECT_TRUE(platform::working_dir_set(dir.c_str()));
    dll_table_forget();  // slots left by an earlier kernel in this process
    args.insert(args.begin(), "kernel_tests");
    args.push_back("-nocpu");
    const int code = kernel_main(int(args.size()), const_cast<char **>(args.data()));
    char after[4096];
    EXPECT_TRUE(platform::working_dir_get(after, sizeof after));
    EXPECT_EQ(std::string(after), dir) << "the caller's working directory is restored";
    platform::working_dir_set(before);
    return code;
}

}  // namespace quarn::test
