#include <gtest/gtest.h>

#include <string>

#include "program_run.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

// The game mounts the archive linked into the program at its start and lets it go at
// the end.
TEST(program, mounts_the_archive_stored_in_it) {
    program_copy_t program;
    program.add_build_plugins();
    program.set_home_config("quit\n");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started) << program_path();
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"[zipfs] <mem-addr-file> successfully mounted [crc_0x",
                                       "[game] Fernwold init ver.1.52D", "[sys] process shutdown"}));
    for (const std::string &line : r.log) {
        EXPECT_EQ(line.find("Error unmounting device"), std::string::npos) << line;
        EXPECT_EQ(line.find("[game] Error mounting"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quarn::test
