#pragma once
// quarn::zip_device_t: a read-only device over one zip archive: the game's ".tzk"
// archives and the archive stored inside the program (mounted through
// ufs_mount_romfs). Only stored entries are served, straight from the archive at
// their data offset: no buffering, no decompression, no CRC check.
//
// Accepted format (little-endian): the end-of-central-directory record is exactly the
// last 22 bytes of the file, so an archive comment is refused; at most 40000 entries;
// names of 1 to 254 bytes; compression method 0. A record is a directory when it has
// the directory attribute (0x10) or its name ends in "/"; one trailing "/" is cut.
// Paths found only inside other names ("a/b.txt" without "a/") are directories too.
// Names compare byte for byte, so lookups are case-sensitive, and the first record of
// a path wins. A lookup costs one probe of the device's child index per component.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/qrnutils/ufs/fs_device.h"

namespace quarn {

struct zip_node_t;
class zip_archive_t;

class QRNCORE_API zip_device_t : public fs_device_t {
public:
    static constexpr uint32_t MAX_ENTRIES = 40000;
    static constexpr uint32_t MAX_NAME_LENGTH = 254;
    // The central directory is read in pieces of at most this many bytes: an
    // archive's whole directory fits one piece, a broken offset costs no more.
    static constexpr uint32_t DIRECTORY_BLOCK = 16u << 20;

    // Takes the archive file out of `archive` and mounts it at once. The device's root
    // is the archive's name. When the archive cannot be read the reason is logged
    // ("[zipfs] ...") and the device is not valid.
    explicit zip_device_t(auto_ptr_t<file_t> &archive);
    ~zip_device_t() override;

    // An entry for reading, or null when missing or a directory. An entry file stays
    // usable after the device is gone: it shares the archive file.
    auto_ptr_t<file_t>::ret_t open(const string &path) override;
    // Type and size of the entry ("" and "/" are the archive's root directory); the
    // time is the archive file's own.
    bool stat(const string &path, fs_stat_t *out) override;
    // The children in the order the archive holds them; with full paths each name is
    // "path/name". Null when missing, or for a file (logged).
    auto_ptr_t<fs_dirlist_t>::ret_t read_dir(const string &path, bool full_paths) override;

    // XOR of the CRC-32 fields of every record taken into the tree.
    uint32_t get_checksum() const { return m_checksum; }
    // File and directory records taken into the tree (implicit directories excluded).
    uint32_t get_record_count() const { return m_records; }

private:
    bool mount();
    bool insert(const char *name, uint32_t length, zip_node_t *record);
    zip_node_t *lookup(const string &path) const;
    zip_node_t *new_node(const char *name, uint32_t length, uint32_t type, uint64_t offset, uint32_t size);
    void free_tree(zip_node_t *node);
    // The child index: every node but the root, by parent and name.
    zip_node_t *find_child(const zip_node_t *parent, const char *name, uint32_t length) const;
    bool add_child(zip_node_t *parent, zip_node_t *child);
    // Room for count more nodes at most half full; false without memory.
    bool reserve_index(uint32_t count);

    zip_archive_t *m_archive = nullptr;  // shared with the entry files
    zip_node_t *m_tree = nullptr;
    bmem_manager_t m_nodes;
    struct index_slot_t {
        uint32_t hash;
        zip_node_t *node;  // null: free
    };
    index_slot_t *m_index = nullptr;  // open addressing, a power of two in size
    uint32_t m_index_size = 0;
    uint32_t m_index_count = 0;
    uint32_t m_checksum = 0;
    uint32_t m_records = 0;
};

// The archive factory registered with fs_set_archive_factory: a new zip device over
// the archive (not valid when it did not read), or null without memory.
QRNCORE_API fs_device_t *zip_device_create(auto_ptr_t<file_t> &archive);

}  // namespace quarn
