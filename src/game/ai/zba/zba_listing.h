#pragma once
// The text listing of a compiled program: one line per thread, its instructions in
// order with " / " between them, such as
//
//     wgh 1 / wgs -0.5 / anm walk_a / wtt 2 / wgh 0 / hlt
//
// Numbers are written with "%g"; `anm` names the animation, `evt` the kind and text of
// its item ("evt info footstep", "evt sound step.wav"). Tests compare listings; the
// instance's verbose log prints them.
#include "outside/qrnshared/c_item.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

// Appends the listing of the program (or of the program a process runs) to out, each
// line ended by "\n". False when the program or its behaviour file cannot be read or
// out cannot hold it all.
bool zba_listing(c_item_t *program, mstring_t &out);
// Logs the listing at the verbose level, one message per thread:
// "[zba_vm] <title> thread <n>: <line>".
void zba_log_listing(c_item_t *program, const char *title);

}  // namespace quarn
