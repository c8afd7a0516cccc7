#pragma once
// A test's own working folder with the file system started over it, as the program
// has it after start-up: relative paths ("base.tzk", "rsrc") resolve inside the
// folder, and zip archives and the converting device can be mounted. Environment
// variables a test changes are put back when it ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "qrncore/qrnutils/ufs/cvfs_device.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/temp_dir.h"

namespace quarn::test {

class mount_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_old_cwd = cwd;
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        fs_startup();
        m_archives = fs_set_archive_factory(zip_device_create);
        m_converters = fs_set_converter_factory(cvfs_device_create);
        for (const char *name : {"HOME", "XDG_DOCUMENTS_DIR", "TMPDIR"}) {
            const char *value = getenv(name);
            m_env.push_back({name, value != nullptr, value ? value : ""});
        }
    }
    void TearDown() override {
        before_shutdown();
        fs_set_archive_factory(m_archives);
        fs_set_converter_factory(m_converters);
        fs_shutdown();
        for (const env_t &e : m_env) {
            if (e.had) setenv(e.name, e.value.c_str(), 1);
            else unsetenv(e.name);
        }
        EXPECT_EQ(chdir(m_old_cwd.c_str()), 0);
    }
    // Unmounts what the test mounted, while the root device still exists.
    virtual void before_shutdown() {}

    temp_dir_t dir;

private:
    struct env_t {
        const char *name;
        bool had;
        std::string value;
    };
    std::string m_old_cwd;
    std::vector<env_t> m_env;
    fs_archive_factory_t m_archives = nullptr;
    fs_converter_factory_t m_converters = nullptr;
};

}  // namespace quarn::test
