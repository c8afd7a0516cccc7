#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

// The game mounts the archive linked into the program at its start and lets it go at
// the end.
TEST(program, mounts_the_archive_stored_in_it) {
    temp_dir_t dir;
    const program_result_t r = run_program({"-nocpu"}, dir.file("trace.log"));
    ASSERT_TRUE(r.started) << program_path();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"[zipfs] <mem-addr-file> successfully mounted [crc_0x",
                                       "[game] stand-in game module running", "[sys] process shutdown"}));
    for (const std::string &line : r.log) {
        EXPECT_EQ(line.find("Error unmounting device"), std::string::npos) << line;
        EXPECT_EQ(line.find("[game] Error mounting"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quarn::test
