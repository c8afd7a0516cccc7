#include "qrncore/qrnutils/ufs/zip_device.h"

#include <cstring>
#include <new>
#include <utility>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr uint32_t END_RECORD_SIZE = 22;
constexpr uint32_t END_SIGNATURE = 0x06054B50;
constexpr uint32_t CENTRAL_RECORD_SIZE = 46;
constexpr uint32_t CENTRAL_SIGNATURE = 0x02014B50;
constexpr uint32_t LOCAL_HEADER_SIZE = 30;
constexpr uint32_t DIRECTORY_ATTRIBUTE = 0x10;

uint16_t get16(const unsigned char *p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t get32(const unsigned char *p) { return uint32_t(get16(p)) | (uint32_t(get16(p + 2)) << 16); }

// Reads the central directory front to back through a window of at most
// zip_device_t::DIRECTORY_BLOCK bytes, so a whole directory costs one read of the
// archive. Bytes are taken from the window; skipped bytes beyond it are never read.
class directory_reader_t {
public:
    directory_reader_t(file_t &file, uint64_t start, uint64_t end) : m_file(file), m_next(start), m_end(end) {
        const uint64_t span = end - start;
        m_capacity = span < zip_device_t::DIRECTORY_BLOCK ? uint32_t(span) : zip_device_t::DIRECTORY_BLOCK;
        if (m_capacity) m_buffer = static_cast<unsigned char *>(qrncore_system_new_vector(m_capacity));
    }
    ~directory_reader_t() {
        if (m_buffer) qrncore_system_delete_vector(m_buffer);
    }
    directory_reader_t(const directory_reader_t &) = delete;
    directory_reader_t &operator=(const directory_reader_t &) = delete;

    bool has_buffer() const { return m_buffer || !m_capacity; }

    // The next n bytes (n no larger than a record and its name), or null when the
    // archive ends before them.
    const unsigned char *take(uint32_t n) {
        if (m_fill - m_pos < n && !refill(n)) return nullptr;
        const unsigned char *p = m_buffer + m_pos;
        m_pos += n;
        return p;
    }

    // Passes over n bytes. Like a seek, it may go beyond the end; the next take then
    // fails.
    void skip(uint64_t n) {
        const uint32_t here = m_fill - m_pos;
        if (n <= here) {
            m_pos += uint32_t(n);
            return;
        }
        m_pos = m_fill;
        m_next += n - here;
    }

private:
    bool refill(uint32_t n) {
        const uint32_t kept = m_fill - m_pos;
        if (kept) memmove(m_buffer, m_buffer + m_pos, kept);
        m_pos = 0;
        m_fill = kept;
        if (m_next >= m_end) return false;
        const uint64_t left = m_end - m_next;
        const uint32_t room = m_capacity - kept;
        const uint32_t want = left < room ? uint32_t(left) : room;
        if (!want || !m_file.block_read(m_buffer + kept, want, m_next)) return false;
        m_next += want;
        m_fill += want;
        return m_fill >= n;
    }

    file_t &m_file;
    uint64_t m_next;  // archive offset of the first byte not yet in the window
    uint64_t m_end;
    unsigned char *m_buffer = nullptr;
    uint32_t m_capacity = 0;
    uint32_t m_pos = 0;
    uint32_t m_fill = 0;
};

// The next component of a "/"-separated path from *at, skipping leading and repeated
// "/"; false at the end. *at moves past the component.
bool next_component(const char *&at, const char *end, const char **start, uint32_t *length) {
    while (at < end && *at == '/') ++at;
    if (at == end) return false;
    *start = at;
    while (at < end && *at != '/') ++at;
    *length = uint32_t(at - *start);
    return true;
}

bool more_components(const char *at, const char *end) {
    while (at < end && *at == '/') ++at;
    return at < end;
}

}  // namespace

// The archive file, shared by the device and the entry files it opened, so that an
// entry stays readable when the device is unmounted first.
class zip_archive_t : public host_object_t {
public:
    zip_archive_t(auto_ptr_t<file_t> &file, const string &root) : m_file(std::move(file)), m_root(root) {}
    void acquire() { ++m_refs; }
    void release() {
        if (--m_refs == 0) delete this;
    }
    file_t &file() const { return *m_file; }
    const mstring_dyn_t &root() const { return m_root; }

private:
    auto_ptr_t<file_t> m_file;
    mstring_dyn_t m_root;
    uint32_t m_refs = 1;
};

// The children of a directory in the order the archive lists them.
struct zip_children_t : host_object_t {
    array_dyn_t<zip_node_t *> order;
};

struct zip_node_t {
    uint64_t offset = 0;  // local header (files)
    uint32_t size = 0;    // uncompressed size (files)
    uint32_t type = FS_TYPE_FILE;
    mstring_dyn_t name;  // one path component
    uint32_t name_length = 0;
    const zip_node_t *parent = nullptr;
    zip_children_t *children = nullptr;  // directories
};

namespace {

// FNV-1a over the name, mixed with the parent's address. The byte-string tables of the
// collections hash as h * 2 + byte, which puts names that differ in a few digits
// ("f00017.bin", "f00018.bin") into a few buckets, so each directory's table grew to
// its 65537-bucket maximum: 512 KiB per directory.
uint32_t child_hash(const zip_node_t *parent, const char *name, uint32_t length) {
    uint32_t h = 2166136261u;
    for (uint32_t i = 0; i < length; ++i) h = (h ^ uint8_t(name[i])) * 16777619u;
    const uint64_t p = reinterpret_cast<uintptr_t>(parent) >> 4;
    h ^= uint32_t(p ^ (p >> 32)) * 0x9E3779B1u;
    return h ^ (h >> 15);
}

class zip_entry_file_t : public file_t {
public:
    zip_entry_file_t(const string &name, zip_archive_t *archive, uint64_t data_offset, uint32_t size)
        : file_t(name), m_archive(archive), m_data_offset(data_offset), m_size(size) {
        m_archive->acquire();
    }
    ~zip_entry_file_t() override { m_archive->release(); }

    void get_system_location(mstring_t &out) override { fs_compose_path(out, m_archive->root(), m_name); }

protected:
    // Whole transfers only: nothing is read when the range passes the entry's end.
    bool io_read(void *buf, uint32_t len, uint64_t offset) override {
        if (offset > m_size || len > m_size - offset) return false;
        return m_archive->file().block_read(buf, len, m_data_offset + offset);
    }
    bool io_stat(fs_stat_t *out) override {
        out->type = FS_TYPE_FILE;
        out->size = m_size;
        out->time = m_archive->file().time();
        return true;
    }

private:
    zip_archive_t *m_archive;
    uint64_t m_data_offset;
    uint32_t m_size;
};

}  // namespace

zip_device_t::zip_device_t(auto_ptr_t<file_t> &archive)
    : fs_device_t(archive ? string(archive->get_name()) : string::EMPTY, true) {
    m_nodes.set_pars(sizeof(zip_node_t), 256);
    if (!archive) {
        set_valid(false);
        return;
    }
    m_archive = new zip_archive_t(archive, m_root);
    m_tree = m_archive ? new_node("", 0, FS_TYPE_DIRECTORY, 0, 0) : nullptr;
    if (!m_tree) error("[zipfs] no memory to mount '%s'.", m_root.c_str());
    set_valid(m_tree && mount());
}

zip_device_t::~zip_device_t() {
    free_tree(m_tree);
    if (m_index) qrncore_system_delete_vector(m_index);
    if (m_archive) m_archive->release();
}

zip_node_t *zip_device_t::find_child(const zip_node_t *parent, const char *name, uint32_t length) const {
    if (!m_index_count) return nullptr;
    const uint32_t mask = m_index_size - 1;
    const uint32_t h = child_hash(parent, name, length);
    for (uint32_t at = h & mask;; at = (at + 1) & mask) {
        const index_slot_t &slot = m_index[at];
        if (!slot.node) return nullptr;
        if (slot.hash == h && slot.node->parent == parent && slot.node->name_length == length &&
            memcmp(slot.node->name.c_str(), name, length) == 0) {
            return slot.node;
        }
    }
}

bool zip_device_t::reserve_index(uint32_t count) {
    const uint64_t wanted = (uint64_t(m_index_count) + count) * 2;
    if (wanted <= m_index_size) return true;
    uint64_t size = m_index_size ? m_index_size : 64;
    while (size < wanted) size *= 2;
    if (size > (uint64_t(1) << 31)) return false;
    auto *index = static_cast<index_slot_t *>(qrncore_system_new_vector(sizeof(index_slot_t) * size));
    if (!index) return false;
    for (uint64_t i = 0; i < size; ++i) index[i] = index_slot_t{0, nullptr};
    const uint32_t mask = uint32_t(size - 1);
    for (uint32_t i = 0; i < m_index_size; ++i) {
        if (!m_index[i].node) continue;
        uint32_t at = m_index[i].hash & mask;
        while (index[at].node) at = (at + 1) & mask;
        index[at] = m_index[i];
    }
    if (m_index) qrncore_system_delete_vector(m_index);
    m_index = index;
    m_index_size = uint32_t(size);
    return true;
}

bool zip_device_t::add_child(zip_node_t *parent, zip_node_t *child) {
    if (!reserve_index(1) || !parent->children->order.append(child)) return false;
    child->parent = parent;
    const uint32_t hash = child_hash(parent, child->name.c_str(), child->name_length);
    const uint32_t mask = m_index_size - 1;
    uint32_t at = hash & mask;
    while (m_index[at].node) at = (at + 1) & mask;
    m_index[at] = index_slot_t{hash, child};
    ++m_index_count;
    return true;
}

zip_node_t *zip_device_t::new_node(const char *name, uint32_t length, uint32_t type, uint64_t offset, uint32_t size) {
    auto *node = ::new (m_nodes.alloc()) zip_node_t;
    node->offset = offset;
    node->size = size;
    node->type = type;
    node->name_length = length;
    if (length && !node->name.copy(name, 0, 0, length)) {
        free_tree(node);
        return nullptr;
    }
    if (type == FS_TYPE_DIRECTORY) {
        node->children = new zip_children_t;
        if (!node->children) {
            free_tree(node);
            return nullptr;
        }
    }
    return node;
}

void zip_device_t::free_tree(zip_node_t *node) {
    if (!node) return;
    if (node->children) {
        for (zip_node_t *child : node->children->order) free_tree(child);
        delete node->children;
    }
    node->~zip_node_t();
    m_nodes.free(node);
}

bool zip_device_t::insert(const char *name, uint32_t length, zip_node_t *record) {
    const char *at = name, *end = name + length, *component;
    uint32_t n;
    zip_node_t *dir = m_tree;
    bool ok = true;
    while (ok && next_component(at, end, &component, &n)) {
        const bool last = !more_components(at, end);
        zip_node_t *child = find_child(dir, component, n);
        if (child) {
            // The first record of a path wins; a path through a file is left out.
            if (last || child->type != FS_TYPE_DIRECTORY) break;
            dir = child;
            continue;
        }
        if (last) {
            record->name_length = n;
            ok = record->name.copy(string(component), 0, 0, n) && add_child(dir, record);
            if (ok) record = nullptr;
            break;
        }
        child = new_node(component, n, FS_TYPE_DIRECTORY, 0, 0);
        ok = child && add_child(dir, child);
        if (!ok) free_tree(child);
        dir = child;
    }
    // A record that did not go into the tree (or could not) is freed here.
    free_tree(record);
    return ok;
}

bool zip_device_t::mount() {
    file_t &file = m_archive->file();
    const char *name = m_root.c_str();
    const uint64_t file_size = file.size();
    if (file_size <= END_RECORD_SIZE) {
        error("[zipfs] Too short file '%s'.", name);
        return false;
    }
    unsigned char end_record[END_RECORD_SIZE];
    if (!file.block_read(end_record, END_RECORD_SIZE, file_size - END_RECORD_SIZE)) {
        error("[zipfs] Failed to read zip_central_dir_end from file '%s'.", name);
        return false;
    }
    if (get32(end_record) != END_SIGNATURE) {
        error("[zipfs] Invalid end signature in file '%s'.", name);
        return false;
    }
    const uint32_t entries = get16(end_record + 10);
    if (entries > MAX_ENTRIES) {
        error("[zipfs] The number of files (%u) in file '%s' exceeded limits (%u).", entries, name, MAX_ENTRIES);
        return false;
    }
    const uint32_t directory_offset = get32(end_record + 16);
    if (directory_offset > file_size - END_RECORD_SIZE) {
        error("[zipfs] Invalid central directory offset in file '%s'.", name);
        return false;
    }

    // The reader runs to the end of the file, the end record included, so records
    // that overrun the directory fail as they would read sequentially.
    directory_reader_t reader(file, directory_offset, file_size);
    // One node per record is the common case; implicit directories grow the index.
    if (!reader.has_buffer() || !reserve_index(entries)) {
        error("[zipfs] no memory for the central directory of '%s'.", name);
        return false;
    }
    for (uint32_t i = 0; i < entries; ++i) {
        const unsigned char *r = reader.take(CENTRAL_RECORD_SIZE);
        if (!r) {
            error("[zipfs] Error reading central directory record #%u from file '%s'.", i, name);
            return false;
        }
        if (get32(r) != CENTRAL_SIGNATURE) {
            error("[zipfs] Central directory record #%u signature does not match, in file '%s'.", i, name);
            return false;
        }
        const uint16_t method = get16(r + 10);
        const uint32_t crc = get32(r + 16);
        const uint32_t size = get32(r + 24);
        const uint32_t name_length = get16(r + 28);
        const uint64_t skipped = uint64_t(get16(r + 30)) + get16(r + 32);
        const uint32_t attributes = get32(r + 38);
        const uint32_t local_offset = get32(r + 42);
        if (name_length == 0) {
            error("[zipfs] Central directory record #%u has malformed name, in file '%s'.", i, name);
            return false;
        }
        if (name_length > MAX_NAME_LENGTH) {
            error("[zipfs] Central directory record #%u has too long name, in file '%s'.", i, name);
            return false;
        }
        const unsigned char *name_bytes = reader.take(name_length);
        if (!name_bytes) {
            error("[zipfs] Error reading name for record #%u from file '%s'.", i, name);
            return false;
        }
        char entry[MAX_NAME_LENGTH + 1];
        memcpy(entry, name_bytes, name_length);
        entry[name_length] = 0;
        reader.skip(skipped);
        // A zero byte would cut the name short as a text and alias another path.
        if (memchr(entry, 0, name_length)) {
            error("[zipfs] Central directory record #%u has malformed name, in file '%s'.", i, name);
            return false;
        }
        if (method != 0) {
            error("[zipfs] Unsupported compression method used: %hu for record #%u - %s, from file '%s'.", method, i,
                  entry, name);
            continue;
        }
        // Archivers mark directories by the attribute, by a trailing "/", or both:
        // either sign makes a directory ("dir/" taken as a file would hide everything
        // below it), and only a trailing "/" is cut, so no name loses a byte.
        uint32_t length = name_length;
        const bool trailing_slash = entry[length - 1] == '/';
        const bool directory = (attributes & DIRECTORY_ATTRIBUTE) || trailing_slash;
        if (trailing_slash) entry[--length] = 0;
        zip_node_t *node = directory ? new_node("", 0, FS_TYPE_DIRECTORY, 0, 0)
                                     : new_node("", 0, FS_TYPE_FILE, local_offset, size);
        if (!node || !insert(entry, length, node)) {
            error("[zipfs] no memory to mount '%s'.", name);
            return false;
        }
        ++m_records;
        m_checksum ^= crc;
    }
    message("[zipfs] %s successfully mounted [crc_%#x]", name, m_checksum);
    return true;
}

zip_node_t *zip_device_t::lookup(const string &path) const {
    if (!m_tree) return nullptr;
    const char *at = path.c_str(), *end = at + path.length(), *component;
    uint32_t n;
    zip_node_t *node = m_tree;
    while (next_component(at, end, &component, &n)) {
        // A file met on the way with components left ("a.txt/x") names nothing: the
        // path is not a.txt.
        if (node->type != FS_TYPE_DIRECTORY) return nullptr;
        node = find_child(node, component, n);
        if (!node) return nullptr;
    }
    return node;
}

auto_ptr_t<file_t>::ret_t zip_device_t::open(const string &path) {
    const zip_node_t *node = lookup(path);
    // A directory has no local header to read: it is not opened as a file.
    if (!node || node->type != FS_TYPE_FILE) return nullptr;
    unsigned char header[LOCAL_HEADER_SIZE];
    if (!m_archive->file().block_read(header, LOCAL_HEADER_SIZE, node->offset)) {
        error("[zipfs] failed reading local file header (%s)", path.c_str());
        return nullptr;
    }
    if (get16(header + 8) != 0) {
        error("[zipfs] local header suggests compression, while global header does not! (%s)", path.c_str());
        return nullptr;
    }
    const uint64_t data_offset = node->offset + LOCAL_HEADER_SIZE + get16(header + 26) + get16(header + 28);
    return auto_ptr_t<file_t>(new zip_entry_file_t(path, m_archive, data_offset, node->size));
}

bool zip_device_t::stat(const string &path, fs_stat_t *out) {
    const zip_node_t *node = lookup(path);
    if (!node) return false;
    out->type = node->type;
    out->size = node->size;
    out->time = m_archive->file().time();
    return true;
}

auto_ptr_t<fs_dirlist_t>::ret_t zip_device_t::read_dir(const string &path, bool full_paths) {
    const zip_node_t *node = lookup(path);
    if (!node) return nullptr;
    if (node->type != FS_TYPE_DIRECTORY) {
        error("[zipfs] error reading a non-directory entry (%s)", path.c_str());
        return nullptr;
    }
    auto_ptr_t<fs_dirlist_t> list = fs_new_dirlist();
    if (!list) return nullptr;
    // "path/name", without doubling a "/" the path already ends with ("/" lists as
    // "/name", not "//name").
    const size_t n = path.length();
    const char *separator = n && path[n - 1] == '/' ? "" : "/";
    for (const zip_node_t *child : node->children->order) {
        fs_direntry_t entry(string::EMPTY, child->type);
        const bool named = full_paths ? entry.name.printf("%s%s%s", path.c_str(), separator, child->name.c_str())
                                      : entry.name.copy(child->name);
        if (!named || !list->append(std::move(entry))) return nullptr;
    }
    return list;
}

fs_device_t *zip_device_create(auto_ptr_t<file_t> &archive) { return new zip_device_t(archive); }

}  // namespace quarn
