#include "qrncore/qrnutils/substance/substance_db.h"

#include <cinttypes>
#include <cstring>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

struct substance_entry_t {
    uint32_t fingerprint = 0;
    mstring_dyn_t name;
    void *data = nullptr;
};

struct substance_db_t {
    substance_entry_t entries[SUBSTANCE_COUNT];
    int32_t requests = 0;
    mstring_dyn_t path;
};

// Created at first use and destroyed at exit, after every user built before it.
substance_db_t &db() {
    static substance_db_t instance;
    return instance;
}

// The fingerprint of unit names: h = h * 31 + byte, bytes unsigned, 32-bit wrap.
uint32_t fingerprint(const char *s) {
    uint32_t h = 0;
    for (; *s; ++s) h = h * 31u + uint8_t(*s);
    return h;
}

void clear_table() {
    for (substance_entry_t &e : db().entries) {
        e.name = mstring_dyn_t();  // gives the buffer back
        e.fingerprint = 0;
        e.data = nullptr;
    }
}

bool is_separator(char c) { return c == ':' || c == '\r' || c == '\n' || c == '\t' || c == ' '; }

// The next token of a NUL-terminated text that this code may write to: the token is
// terminated in place and *cursor moves past it. Null when no token is left.
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

// A whole number in 0-255 as the C runtime reads it with base 0; -1 for anything else.
int32_t parse_index(const char *token) {
    const char *end = token;
    int32_t value = v_strtol(token, &end, 0);
    if (end == token || *end != 0 || value < 0 || value >= int32_t(SUBSTANCE_COUNT)) return -1;
    return value;
}

// Reads the pairs of a NUL-terminated text, cutting it into tokens in place.
void parse(char *text, const char *source) {
    char *cursor = text;
    for (;;) {
        const char *index_token = next_token(&cursor);
        if (!index_token) return;
        const char *name = next_token(&cursor);
        if (!name) return;  // an index without a name ends the file
        // Only whole numbers in range count: a word must not read as 0 and replace
        // entry 0, nor a negative index pass the range test.
        int32_t index = parse_index(index_token);
        if (index < 0) {
            error("invalid index for substance %s in file %s", name, source);
            continue;
        }
        substance_entry_t &e = db().entries[index];
        if (!e.name.copy(name)) {
            error("[substance] no memory for the name %s in file %s", name, source);
            e.name = mstring_dyn_t();
            e.fingerprint = 0;
            continue;
        }
        e.fingerprint = fingerprint(name);
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

// Reads the whole file and fills the table from it.
void load_from(file_t &file, const char *path) {
    const uint64_t size = file.size();
    if (file.get_error() != FS_ERR_NONE) {
        error("error reading substance file %s", path);
        return;
    }
    if (size > UINT32_MAX) {
        error("can't read substance file %s (size %" PRIu64 " too big!)", path, size);
        return;
    }
    host_buffer_t buffer(size_t(size) + 1);
    if (!buffer.data) {
        error("[substance] no memory to read substance file %s (%" PRIu64 " bytes)", path, size);
        return;
    }
    if (!file.read(buffer.data, uint32_t(size))) {
        error("error reading substance file %s", path);
        return;
    }
    buffer.data[size] = 0;
    parse(buffer.data, path);
}

void load() {
    substance_db_t &d = db();
    clear_table();
    auto_ptr_t<file_t> file = fs_open(d.path, FS_REALM_VIRTUAL);
    if (!file) {
        error("can't read substance file %s", d.path.c_str());
        return;
    }
    load_from(*file, d.path.c_str());
}

}  // namespace

void set_substance_file(const string &path) { db().path = path; }

void substance_db_request() {
    if (db().requests++ == 0) load();
}

void substance_db_release() {
    substance_db_t &d = db();
    // An unbalanced release would drive the count below 0, and the next request
    // would then not load the file.
    if (d.requests <= 0) {
        error("[substance] substance_db_release without a request");
        return;
    }
    if (--d.requests == 0) clear_table();
}

uint32_t substance_name2idx(const string &name) {
    const uint32_t h = fingerprint(name.c_str());
    for (uint32_t i = 0; i < SUBSTANCE_COUNT; ++i) {
        const substance_entry_t &e = db().entries[i];
        // Unused entries have fingerprint 0 and no name: an empty name finds nothing.
        if (e.fingerprint == h && !e.name.is_empty() && e.name == name) return i;
    }
    return SUBSTANCE_NONE;
}

string substance_idx2name(uint32_t index) {
    if (index >= SUBSTANCE_COUNT) return string::EMPTY;
    return db().entries[index].name.c_str();
}

void *substance_get_data(uint32_t index) { return index < SUBSTANCE_COUNT ? db().entries[index].data : nullptr; }

void substance_set_data(uint32_t index, void *data) {
    if (index < SUBSTANCE_COUNT) db().entries[index].data = data;
}

uint32_t get_used_substance_count() {
    uint32_t n = 0;
    for (const substance_entry_t &e : db().entries) n += e.name.is_empty() ? 0 : 1;
    return n;
}

void substance_db_load_text(const char *text, size_t length, const string &source) {
    host_buffer_t buffer(length + 1);
    if (!buffer.data) {
        error("[substance] no memory to read %zu bytes of %s", length, source.c_str());
        return;
    }
    if (length) memcpy(buffer.data, text, length);
    buffer.data[length] = 0;
    parse(buffer.data, source.c_str());
}

}  // namespace quarn
