#pragma once
// The command-line store: a process-wide copy of the program's arguments with a query
// for an option and its values. The window it keeps (the option found last and its
// values) is shared by every caller.
#include "qrncore/api.h"

namespace quarn {

// Most arguments and bytes of argument text (terminators included) kept. Arguments
// beyond either limit are not stored; cdl_argv answers null for them.
constexpr unsigned CDL_MAX_ARGS = 128;
constexpr unsigned CDL_TEXT_SIZE = 2048;

// Copies the arguments; the window becomes the whole list.
QRNCORE_API void cdl_init(int argc, const char *const *argv);
// Index of the first argument at or after start equal to name (case-sensitive), or
// (unsigned)-1. On a hit the window runs from it to the next argument beginning with
// "-"; on a miss the window's start moves to the end.
QRNCORE_API unsigned cdl_param(const char *name, unsigned start);
// Arguments in the window: 1 + the values of the option found last.
QRNCORE_API unsigned cdl_argc();
// Argument i of the window, or null past the stored arguments.
QRNCORE_API const char *cdl_argv(unsigned i);
// Arguments that did not fit the store at cdl_init.
QRNCORE_API unsigned cdl_dropped();

}  // namespace quarn
