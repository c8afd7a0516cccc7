#include "qrncore/strings/paths.h"

#include <cstring>

#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Index of the last separator, -1 when there is none.
long last_separator(const char *s) {
    long last = -1;
    for (long i = 0; s[i]; ++i)
        if (is_separator(s[i])) last = i;
    return last;
}

// Index of the last '.' after the last separator, -1 when there is none.
long extension_start(const char *s) {
    long sep = last_separator(s);
    const char *dot = strrchr(s + sep + 1, '.');
    return dot ? long(dot - s) : -1;
}

// True when s lies in the buffer of out, which the output is about to overwrite.
bool overlaps(const mstring_t &out, const char *s) {
    const char *data = out.c_str();
    return out.get_capacity() && s >= data && s < data + out.get_capacity();
}

bool compose(mstring_t &out, const char *dir, const char *name, const char *ext) {
    size_t dlen = strlen(dir);
    bool ok = out.printf(dlen && is_separator(dir[dlen - 1]) ? "%s%s" : "%s/%s", dir, name);
    if (ext && *ext) ok = out.printf_append(*ext == '.' ? "%s" : ".%s", ext) && ok;
    return ok;
}

}  // namespace

bool v_fnsplit(const string &path, mstring_t *dir, mstring_t *name) {
    const char *s = path.c_str();
    long sep = last_separator(s);
    bool ok = true;
    if (name) ok = name->copy(s + sep + 1) && ok;
    if (dir) ok = dir->copy(s, 0, 0, sep > 0 ? uint32_t(sep) : 0) && ok;
    return ok;
}

bool v_fnsplit(const string &path, mstring_t *dir, mstring_t *name, mstring_t *ext) {
    const char *s = path.c_str();
    long sep = last_separator(s);
    long dot = extension_start(s);
    bool ok = true;
    if (ext) ok = ext->copy(dot >= 0 ? s + dot : "") && ok;
    if (name) {
        long start = sep + 1;
        if (dot < 0 || (sep < 0 && dot == 0))
            ok = name->copy(s + start) && ok;
        else
            ok = name->copy(s, 0, uint32_t(start), uint32_t(dot - start)) && ok;
    }
    if (dir) ok = dir->copy(s, 0, 0, sep > 0 ? uint32_t(sep) : 0) && ok;
    return ok;
}

bool v_fncompose(mstring_t &out, const string &dir, const string &name) {
    return v_fncompose(out, dir, name, "");
}

bool v_fncompose(mstring_t &out, const string &dir, const string &name, const string &ext) {
    if (overlaps(out, dir) || overlaps(out, name) || overlaps(out, ext)) {
        mstring_dyn_t built;
        compose(built, dir, name, ext);
        return out.copy(built.c_str());
    }
    return compose(out, dir, name, ext);
}

bool v_remove_slash(mstring_t &text) {
    uint32_t len = text.length();
    if (!len || !is_separator(text[len - 1])) return false;
    return text.remove(len - 1, len);
}

bool v_get_extension(const string &path, mstring_t &out) {
    long dot = extension_start(path.c_str());
    return out.copy(dot >= 0 ? path.c_str() + dot : "");
}

bool v_check_extension(const string &name, const string &ext) {
    size_t n = name.length(), e = ext.length();
    return n >= e && memcmp(name.c_str() + n - e, ext.c_str(), e) == 0;
}

bool v_change_extension(mstring_t &path, const string &ext) {
    long dot = extension_start(path.c_str());
    if (dot < 0) return path.append(ext);
    return path.copy(ext, uint32_t(dot));
}

bool v_change_filename(mstring_t &path, const string &name) {
    long sep = last_separator(path.c_str());
    return path.copy(name, uint32_t(sep + 1));
}

bool v_absolutize_filename(mstring_t &out, const string &name, const string &base) {
    if (overlaps(out, name) || overlaps(out, base)) {
        mstring_dyn_t built;
        v_absolutize_filename(built, name, base);
        return out.copy(built.c_str());
    }
    if (is_separator(name[0])) return out.copy(name);
    long sep = last_separator(base.c_str());
    if (sep < 0) return out.copy(name);
    bool ok = out.copy(base, 0, 0, uint32_t(sep + 1));
    return out.append(name) && ok;
}

void v_dos2unix(mstring_t &out, const string &src) {
    size_t len = src.length();
    if (len == 0 && out.get_capacity() == 0) return;  // already empty, nothing to store
    if (len + 1 > out.get_capacity()) V_ABORT("mstring_t bounds check failed");
    memmove(out.data(), src.c_str(), len + 1);
    v_dos2unix_path(out.data());
}

void v_dos2unix_path(mstring_t &text) {
    if (text.get_capacity()) v_dos2unix_path(text.data());
}

void v_unix2dos_path(mstring_t &text) {
    if (text.get_capacity()) v_unix2dos_path(text.data());
}

void v_dos2unix(char *out, const char *src) {
    memmove(out, src, strlen(src) + 1);
    v_dos2unix_path(out);
}

void v_dos2unix_path(char *text) {
    for (; *text; ++text)
        if (*text == '\\') *text = '/';
}

void v_unix2dos_path(char *text) {
    for (; *text; ++text)
        if (*text == '/') *text = '\\';
}

}  // namespace quarn
