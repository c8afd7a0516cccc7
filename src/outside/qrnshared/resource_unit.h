#pragma once
// resource_unit_u: the base of every resource type (textures, models, definition
// files, the kernel's "plain" files). A resource unit is bound to one item of the
// memory manager and knows how to bring the item's data into pool memory, give it
// back, upload and drop a hardware copy, refresh it, and follow its data when the
// manager moves it.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class QRNSHARED_API resource_unit_u : public unit_base_t {
    QRN_UNIT_CLASS(resource_unit_u, unit_base_t);

public:
    // Refresh codes of refresh_item (the kernel's refresh_result_t).
    static constexpr int REFRESH_DONE = 0;
    static constexpr int REFRESH_UNSUPPORTED = 3;

    // Brings the item's data into pool memory (through allocate_item_memory, which
    // makes the item memory-valid). True when the item holds its data afterwards. The
    // base has nothing to load: false.
    virtual bool load_memory();
    // Gives the item's memory back (free_item_memory). Nothing without memory.
    virtual void unload_memory();
    // Uploads / drops the hardware copy; the base keeps none (hw_load false).
    virtual bool hw_load();
    virtual void hw_unload();
    // Reloads the item in place; the base does not support it (REFRESH_UNSUPPORTED).
    virtual int refresh_item();
    // Around a move of the item's data by the manager (old and new data address).
    virtual void pre_move(void *old_data, void *new_data);
    virtual void post_move(void *old_data, void *new_data);
    // Binds the unit to its item (false refuses the item) / unbinds it.
    virtual bool bind_item(c_item_t *item);
    virtual void unbind_item(c_item_t *item);

    c_item_t *get_item() const { return m_item; }

private:
    c_item_t *m_item = nullptr;
};

// Loads the whole file named by the item (a path of the virtual tree, realm 1) into
// the item's memory. Returns the data, or null (logged) when the file cannot be
// opened or read or the manager gives no memory; the item then holds no memory.
QRNSHARED_API void *ufs_plain_load(c_item_t *item);

}  // namespace quarn
