#pragma once
// Binding behaviour names to an owner's slots: the owner of an animation instance asks
// once, by name, for the behaviour numbers it plays (a rifle's "fire", "reload" ...;
// the behaviours an animal model description needs) and keeps them in a table by its
// own slot numbers (docs/zba-instances.md).
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

// One request: the behaviour's name and the slot its number goes to.
struct zba_name_request_t {
    const char *name;
    uint32_t slot;
};

// Fills table (table_size entries, by slot) from the behaviours of the instance's file:
// every entry becomes -1, then the behaviours are walked in file order and each is
// compared, without regard to case, with the requests still open; a match stores the
// behaviour's number in the request's slot and closes the request (the last open one
// takes its place and is not compared with the same behaviour). True at once for no
// requests; false, with the table untouched, when the instance or its file cannot be
// had; otherwise true when every request was bound. A slot outside the table binds
// nothing (logged).
bool zba_bind_item_names(c_item_t *instance, const zba_name_request_t *requests, uint32_t count, int32_t *table,
                         uint32_t table_size);

// Sizes table to the request count with every entry -1 and binds by exact
// (case-sensitive) names: the first slot given for a name wins, and only the first
// behaviour of a name binds. True at once for no requests; false when the instance or
// its file cannot be had; otherwise true when no entry is left at -1. A slot outside
// the table binds nothing (logged).
bool zba_bind_behavior_names(array_dyn_t<int32_t> &table, c_item_t *instance, const zba_name_request_t *requests,
                             uint32_t count);

}  // namespace quarn
