#pragma once
// The name of the user the program runs as: the login name of the effective user.
#include <cstddef>

#include "platform/api.h"

namespace quarn::platform {

// Writes the login name of the effective user (getpwuid_r) into size bytes with the
// terminator; an empty text when the user has no entry in the user database. False,
// with out empty, when the name does not fit (or size is 0, when nothing is written).
QRN_PLATFORM_API bool user_name(char *out, size_t size);

}  // namespace quarn::platform
