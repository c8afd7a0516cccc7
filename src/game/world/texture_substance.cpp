#include "game/world/texture_substance.h"

#include <cinttypes>
#include <cstring>
#include <memory>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

using texture_table_t = array_dyn_t<texture_substance_t>;

struct texture_db_t {
    std::unique_ptr<texture_table_t> table;
    uint32_t uses = 0;
};

texture_db_t &db() {
    static texture_db_t instance;
    return instance;
}

bool is_separator(char c) { return c == ':' || c == '\r' || c == '\n' || c == '\t' || c == ' '; }

// The next token of a NUL-terminated text this code may write to: terminated in
// place, the cursor moved past it. Null when no token is left.
char *next_token(char **cursor) {
    char *p = *cursor;
    while (is_separator(*p)) ++p;
    if (!*p) {
        *cursor = p;
        return nullptr;
    }
    char *token = p;
    while (*p && !is_separator(*p)) ++p;
    if (*p) *p++ = 0;
    *cursor = p;
    return token;
}

// Reads the pairs of a NUL-terminated text, cutting it into tokens in place.
void parse(char *text, texture_table_t &table) {
    char *cursor = text;
    for (const char *key = next_token(&cursor); key; key = next_token(&cursor)) {
        const char *name = next_token(&cursor);
        if (!name) return;  // a key without a name is ignored
        const uint32_t substance = substance_name2idx(name);
        if (substance == SUBSTANCE_NONE) {
            warning("substance name %s cannot be matched with registered ones", name);
            continue;
        }
        texture_substance_t entry;
        entry.key = key;
        entry.key_hash = texture_key_hash(key);
        entry.substance = substance;
        if (entry.key != string(key) || !table.append(std::move(entry)))
            error("[game] no memory for the texture table entry %s", key);
    }
}

struct host_buffer_t {
    explicit host_buffer_t(size_t n) : data(static_cast<char *>(qrncore_system_new_vector(n))) {}
    ~host_buffer_t() {
        if (data) qrncore_system_delete_vector(data);
    }
    host_buffer_t(const host_buffer_t &) = delete;
    host_buffer_t &operator=(const host_buffer_t &) = delete;

    char *data;
};

void load(texture_table_t &table) {
    auto_ptr_t<file_t> file = fs_open(TEXTURE_DB_PATH, FS_REALM_VIRTUAL);
    if (!file) {
        error("can't read file %s", TEXTURE_DB_PATH);
        return;
    }
    const uint64_t size = file->size();
    if (size > UINT32_MAX) {
        error("%s size %" PRIu64 " is bigger than we can handle!", TEXTURE_DB_PATH, size);
        return;
    }
    host_buffer_t buffer(size_t(size) + 1);
    if (!buffer.data || file->get_error() != FS_ERR_NONE || !file->read(buffer.data, uint32_t(size))) {
        error("error reading %s", TEXTURE_DB_PATH);
        return;
    }
    buffer.data[size] = 0;
    parse(buffer.data, table);
}

}  // namespace

uint32_t texture_key_hash(const string &key) {
    uint32_t h = 0;
    for (const char *s = key.c_str(); *s; ++s) h = h * 31u + uint8_t(*s);
    return h;
}

void texture_key(const string &path, mstring_dyn_t &key) {
    mstring_dyn_t dir, name;
    v_fnsplit(path, &dir, &name, nullptr);
    key = dir;
    key.append("/");
    key.append(name);
}

void texture_db_request() {
    texture_db_t &d = db();
    if (d.uses++ != 0) return;
    d.table = std::make_unique<texture_table_t>();
    load(*d.table);
}

void texture_db_release() {
    texture_db_t &d = db();
    if (d.uses == 0) {
        error("[game] texture_db_release without a request");
        return;
    }
    if (--d.uses == 0) d.table.reset();
}

uint32_t substance_for_texture(const string &path) {
    mstring_dyn_t key;
    texture_key(path, key);
    const uint32_t h = texture_key_hash(key);
    if (const texture_table_t *table = db().table.get()) {
        for (uint32_t i = 0; i < table->get_count(); ++i) {
            const texture_substance_t &e = (*table)[i];
            if (e.key_hash == h && e.key == key.c_str()) return e.substance;
        }
    }
    warning("cannot find substance for %s", path.c_str());
    return 0;
}

uint32_t texture_db_use_count() { return db().uses; }

bool texture_db_exists() { return db().table != nullptr; }

uint32_t texture_db_entry_count() { return db().table ? db().table->get_count() : 0; }

const texture_substance_t &texture_db_entry(uint32_t index) { return (*db().table)[index]; }

void texture_db_load_text(const char *text, size_t length, const char *source) {
    if (!db().table) return;
    host_buffer_t buffer(length + 1);
    if (!buffer.data) {
        error("[game] no memory to read %zu bytes of %s", length, source);
        return;
    }
    if (length) memcpy(buffer.data, text, length);
    buffer.data[length] = 0;
    parse(buffer.data, *db().table);
}

}  // namespace quarn
