#include "platform/user_dirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quarn::platform {

namespace {

bool copy_out(const char *text, size_t len, char *out, size_t size) {
    if (len + 1 > size) return false;
    memcpy(out, text, len);
    out[len] = 0;
    return true;
}

bool is_dir(const char *path) {
    struct stat st {};
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

size_t without_trailing_slash(const char *path) {
    size_t len = strlen(path);
    while (len > 1 && path[len - 1] == '/') --len;
    return len;
}

}  // namespace

bool user_documents_dir(char *out, size_t size) {
    const char *xdg = getenv("XDG_DOCUMENTS_DIR");
    if (xdg && *xdg == '/') return copy_out(xdg, without_trailing_slash(xdg), out, size);
    const char *home = getenv("HOME");
    if (!home || *home != '/') return false;
    char path[4096];
    int n = snprintf(path, sizeof path, "%.*s/Documents", int(without_trailing_slash(home)), home);
    if (n <= 0 || size_t(n) >= sizeof path) return false;
    if (!is_dir(path) && mkdir(path, 0755) != 0 && errno != EEXIST) return false;
    return copy_out(path, size_t(n), out, size);
}

bool user_temp_dir(char *out, size_t size) {
    const char *tmp = getenv("TMPDIR");
    if (!tmp || *tmp != '/') tmp = "/tmp";
    return copy_out(tmp, without_trailing_slash(tmp), out, size);
}

bool program_path(char *out, size_t size) {
    if (size < 2) return false;
    ssize_t n = readlink("/proc/self/exe", out, size - 1);
    if (n <= 0 || size_t(n) >= size - 1) return false;
    out[n] = 0;
    return true;
}

bool program_dir(char *out, size_t size) {
    if (!program_path(out, size)) return false;
    char *slash = strrchr(out, '/');
    if (!slash) return false;
    if (slash == out) slash[1] = 0;
    else *slash = 0;
    return true;
}

bool user_documents_subdir(const char *name, char *out, size_t size) {
    char docs[4096];
    if (!name || !*name || !user_documents_dir(docs, sizeof docs)) return false;
    char path[4096];
    int n = snprintf(path, sizeof path, "%s/%s", docs, name);
    if (n <= 0 || size_t(n) >= sizeof path) return false;
    if (!is_dir(path) && mkdir(path, 0755) != 0 && errno != EEXIST) return false;
    return copy_out(path, size_t(n), out, size);
}

bool working_dir_get(char *out, size_t size) { return size > 0 && getcwd(out, size) != nullptr; }

bool working_dir_set(const char *path) { return path && chdir(path) == 0; }

}  // namespace quarn::platform
