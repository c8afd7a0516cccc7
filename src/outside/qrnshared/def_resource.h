#pragma once
// def_resource_u: the ".def" resource type, unit class "def". The data of its items is
// a def_pool_t read from the file the item names (a path of the virtual tree, realm
// 1), includes and all; a file that does not read leaves the item without data, so
// obtaining it with loading (request type 3 or 7) gives null. The "lib/loaders"
// plug-in registers the class with the engine's unit bank and a loader that gives it
// to every name ending in ".def".
//
// The pool is one pointer to storage on the host's heap (def_pool.h), so the item's
// data is small and the memory manager may move it like any other data.
#include "outside/qrnshared/api.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

class QRNSHARED_API def_resource_u : public resource_unit_u {
    QRN_UNIT_CLASS(def_resource_u, resource_unit_u);

public:
    // Reads the item's file into a pool and puts the pool into item memory. False
    // (the reader has logged why) when the file does not read or no memory is had.
    bool load_memory() override;
    // Frees the pool and gives the item's memory back.
    void unload_memory() override;
    // A pool still held when the item goes is freed first.
    void unbind_item(c_item_t *item) override;

    // The pool in an item's data (what c_item_t::lock returns), or null.
    static def_pool_t *pool_of(void *data) { return static_cast<def_pool_t *>(data); }
};

}  // namespace quarn
