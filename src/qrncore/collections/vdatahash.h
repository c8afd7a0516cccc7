#pragma once
// vdatahash_t: a hash table from byte-string keys to fixed-size value blocks stored in
// the table. The value blocks are the data areas of a data list whose pool the owner
// provides (several tables with the same value size may share one); a block's address
// stays the same for as long as its key is in the table.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "qrncore/api.h"
#include "qrncore/collections/vdatalist.h"
#include "qrncore/collections/vhash_base.h"

namespace quarn {

class QRNCORE_API vdatahash_t : public vhash_base_t {
public:
    // A table whose value pool is bound later with set_value_pool or init_values.
    vdatahash_t() = default;
    // A table with value_size-byte blocks from pool (set up here, see init_values).
    vdatahash_t(size_t value_size, uint32_t values_per_chunk, bmem_manager_t *pool);
    ~vdatahash_t() override;

    // Binds pool and sets it to blocks of the list links plus value_size bytes.
    void init_values(size_t value_size, uint32_t values_per_chunk, bmem_manager_t *pool) {
        m_values.init_mm(value_size, values_per_chunk, pool);
    }
    // Binds a pool already set up with room for the links and the value size.
    void set_value_pool(bmem_manager_t *pool) { m_values.set_pool(pool); }

    // The address of the key's value block: the existing one, unchanged, or a new
    // uninitialised one for the caller to fill. Null, with the reason logged and the
    // table unchanged, when there is no memory for the key.
    void *put(const void *key, size_t length);
    // The address of the key's value block, or null.
    void *find(const void *key, size_t length) const;
    void *find(const char *key) const { return find(key, strlen(key)); }
    // True when the key was removed, false when absent.
    bool remove_key(const void *key, size_t length);

    static void *entry2data(const vdatalist_node_t *entry) {
        return static_cast<vdatalist_node_t *>(entry_record(entry)->value_node)->data();
    }

protected:
    void remove_value(vhash_entry_t *entry) override;

private:
    vdatalist_t m_values;
};

}  // namespace quarn
