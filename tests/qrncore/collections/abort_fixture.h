#pragma once
// Fixture for death tests of aborts: the crash report goes to a temporary folder and
// the abort's message reaches standard error, where EXPECT_DEATH matches it.
#include <gtest/gtest.h>

#include "qrncore/system/crash_log.h"
#include "qrncore/system/messages.h"
#include "support/temp_dir.h"

namespace quarn::test {

class abort_fixture_t : public ::testing::Test {
protected:
    void SetUp() override { dumper_set_file_name(m_dir.file("abort.crash").c_str()); }
    void TearDown() override { dumper_set_file_name(nullptr); }

private:
    temp_dir_t m_dir;
    message_stdio_t m_out;
};

}  // namespace quarn::test
