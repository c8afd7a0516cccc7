#include "qrncore/collections/arrays/array_check.h"

#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Every check reports this one source, whichever header the array code came from, so
// a report names the arrays rather than the caller's file.
constexpr const char *ARRAYS_SOURCE = "collections/arrays/arrays_base_impl";
constexpr const char *NO_FUNCTION = "unknown fn";

}  // namespace

void array_index_check_failed(unsigned line) {
    v_abort_fail("Index failed boundary check.", ARRAYS_SOURCE, line, NO_FUNCTION);
}

void array_iterator_check_failed(unsigned line) {
    v_abort_fail("Iterator failed boundary check.", ARRAYS_SOURCE, line, NO_FUNCTION);
}

}  // namespace quarn
