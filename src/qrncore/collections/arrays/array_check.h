#pragma once
// The aborts of the arrays' index and iterator checks, kept out of line so that an
// element access stays a compare and an address computation.
#include "qrncore/api.h"

namespace quarn {

// Abort with "Index failed boundary check." / "Iterator failed boundary check.",
// reporting the arrays' source and the line of the check.
[[noreturn]] QRNCORE_API void array_index_check_failed(unsigned line);
[[noreturn]] QRNCORE_API void array_iterator_check_failed(unsigned line);

}  // namespace quarn
