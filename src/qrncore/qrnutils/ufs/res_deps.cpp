#include "qrncore/qrnutils/ufs/res_deps.h"

#include <utility>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The record's path: the resource's path with ".dep" appended. False, logged, when
// it is too long.
bool record_path(fs_path_t &out, const string &resource_path) {
    if (out.printf("%s.dep", resource_path.c_str())) return true;
    error("[fs] path too long: \"%s.dep\"", resource_path.c_str());
    return false;
}

bool append_path(array_dyn_t<mstring_dyn_t> &paths, const char *text, uint32_t length) {
    mstring_dyn_t copy;
    if (!copy.copy(string(text), 0, 0, length) || copy.length() != length) return false;
    return paths.append(std::move(copy)) != nullptr;
}

}  // namespace

bool res_deps_t::add_primary_source(const string &path) {
    if (!m_paths.is_empty()) error("Attempt to set multiple primary sources.");
    return append_path(m_paths, path.c_str(), uint32_t(path.length()));
}

bool res_deps_t::add(const string &path) {
    if (m_paths.is_empty()) error("Attempt to set dependency without setting the primary source first.");
    return append_path(m_paths, path.c_str(), uint32_t(path.length()));
}

bool res_deps_t::write(const string &resource_path) const {
    fs_path_t path;
    fs_root_device_t *root = fs_get_root_device();
    if (!record_path(path, resource_path) || !root) return false;
    auto_ptr_t<file_t> file = root->create_in(path, WINDOW);
    if (!file) {
        error("Error creating dependency file '%s'.", path.c_str());
        return false;
    }
    // Every write is checked: a cut record must not be reported as written.
    for (const mstring_dyn_t &p : m_paths) {
        if (!file->printf("%s\r\n", p.c_str())) {
            error("Error writing dependency file '%s'.", path.c_str());
            return false;
        }
    }
    return true;
}

bool res_deps_t::read(const string &resource_path) {
    fs_path_t path;
    fs_root_device_t *root = fs_get_root_device();
    if (!record_path(path, resource_path) || !root) return false;
    auto_ptr_t<file_t> file = root->open_in(path, WINDOW);
    if (!file) return false;
    auto_ptr_t<fs_text_lines_t> lines = fs_read_text_file(*file);
    if (!lines) {
        error("Error reading dependency file '%s'.", path.c_str());
        return false;
    }
    for (const mstring_dyn_t &line : *lines) {
        const char *start = line.c_str();
        while (*start == ' ') ++start;
        const char *end = start;
        while (*end && *end != ' ') ++end;
        if (end == start) {
            error("Error processing dependency file '%s'.", path.c_str());
            return false;
        }
        if (!append_path(m_paths, start, uint32_t(end - start))) return false;
    }
    return true;
}

bool res_deps_t::remove_file(const string &resource_path) {
    fs_path_t path;
    fs_root_device_t *root = fs_get_root_device();
    return record_path(path, resource_path) && root && root->remove_in(path, WINDOW);
}

}  // namespace quarn
