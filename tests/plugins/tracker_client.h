#pragma once
// The stand-in head-tracker client the tests build (fixtures/plugins/npclient_fake.cpp):
// <build>/tests/plugins/tracker/NPClient.so. It exports none of the kernel's functions,
// so the binding tests use it as a program that lacks them.
#include <string>

#include "support/test_paths.h"

namespace quarn::test {

inline std::string tracker_folder() { return test_plugins_dir() + "/tracker/"; }
inline std::string tracker_client() { return tracker_folder() + "NPClient.so"; }

}  // namespace quarn::test
