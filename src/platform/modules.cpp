#include "platform/modules.h"

#include <dlfcn.h>

#include <cstdio>

namespace quarn::platform {

namespace {
char last_error[512] = "";

void keep_error() {
    const char *e = dlerror();
    snprintf(last_error, sizeof last_error, "%s", e ? e : "unknown error");
}
}  // namespace

module_t module_open(const char *path) {
    void *m = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!m) keep_error();
    return m;
}

module_t module_main() {
    static void *main_handle = dlopen(nullptr, RTLD_NOW);
    return main_handle;
}

void *module_symbol(module_t module, const char *name) {
    if (!module) return nullptr;
    dlerror();
    void *p = dlsym(module, name);
    if (!p) keep_error();
    return p;
}

void module_close(module_t module) {
    if (!module || module == module_main()) return;
    dlclose(module);
}

const char *module_error() { return last_error; }

}  // namespace quarn::platform
