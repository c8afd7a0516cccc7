#pragma once
// vptrhash_t: a hash table from byte-string keys to untyped pointers. The values are
// the data pointers of a pointer list whose nodes come from one pool shared by all
// pointer tables. A stored null pointer reads like a missing key.
#include <cstddef>
#include <cstring>

#include "qrncore/api.h"
#include "qrncore/collections/vhash_base.h"
#include "qrncore/collections/vptrlist.h"

namespace quarn {

class QRNCORE_API vptrhash_t : public vhash_base_t {
public:
    vptrhash_t();
    ~vptrhash_t() override;

    // Adds the key with the pointer, or replaces the pointer of an existing key.
    // False, with the reason logged and the table unchanged, when there is no memory
    // for the key.
    bool put(const void *key, size_t length, void *p);
    // The pointer stored under the key, or null.
    void *find(const void *key, size_t length) const;
    void *find(const char *key) const { return find(key, strlen(key)); }
    // Removes the key and returns its pointer; null when absent.
    void *remove_key(const void *key, size_t length);
    // Removes the first entry (in entry-list order) holding the pointer; false when none.
    bool remove_ptr(const void *p);
    // Copies min(length, key length) bytes of the key of the first entry holding the
    // pointer and stores that count in length; false when no entry holds it. Unlike
    // entry2key, a short buffer gets a truncated key.
    bool ptr2key(const void *p, void *buffer, size_t &length) const;

    static void *entry2ptr(const vdatalist_node_t *entry) {
        return static_cast<vptrlist_node_t *>(entry_record(entry)->value_node)->data;
    }

    // The pool of value nodes that all pointer tables share.
    static bmem_manager_t &value_pool();

protected:
    void remove_value(vhash_entry_t *entry) override;

private:
    vdatalist_node_t *find_ptr_entry(const void *p) const;

    vptrlist_t m_values;
};

}  // namespace quarn
