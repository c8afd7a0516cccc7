#pragma once
// The folders of the build and the source tree, for tests that run the built program,
// load its plug-ins or read its archives. They come at run time, never compiled in
// (a path in the compiler's command line would make every clone miss the compiler
// cache): CTest sets FERNWOLD_BIN_DIR, FERNWOLD_SOURCE_DIR and FERNWOLD_TEST_PLUGINS;
// a test program started by hand finds them from its own place in the build tree
// (<build>/tests/<program>).
#include <string>

namespace quarn::test {

// The runnable installation: <build>/bin.
const std::string &test_bin_dir();
// The source tree (the root of the repository).
const std::string &test_source_dir();
// The tests' own plug-ins and programs: <build>/tests/plugins.
const std::string &test_plugins_dir();

}  // namespace quarn::test
