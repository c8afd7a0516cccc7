#include "qrncore/system/dl_lib.h"

#include <cstdio>
#include <cstring>

#include "platform/modules.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

dl_ops_t::~dl_ops_t() = default;
bool dl_ops_t::dl_symbols(void *, void *) { return true; }
bool dl_ops_t::dl_register(void *, void *) { return true; }
bool dl_ops_t::dl_unregister(void *, void *) { return true; }
bool dl_ops_t::dl_execute(void *, void *, unsigned, void *) { return true; }

dl_lib_t::dl_lib_t() = default;

dl_lib_t::dl_lib_t(const string &name) {
    // Windows libraries were "%s.dll"; ours are shared objects.
    m_name_cut = !m_file_name.printf("%s.so", name.c_str());
}

dl_lib_t::dl_lib_t(const dl_lib_t &other) { *this = other; }

dl_lib_t &dl_lib_t::operator=(const dl_lib_t &other) {
    if (this == &other) return *this;
    m_file_name = other.m_file_name;
    m_name_cut = other.m_name_cut;
    m_module = other.m_module;
    m_ops = other.m_ops;
    return *this;
}

dl_lib_t::~dl_lib_t() = default;

void *dl_lib_t::get_main_handle() { return platform::module_main(); }

bool dl_lib_t::load() {
    if (m_name_cut) {
        error("[sys] Library name too long - can not load '%s'", m_file_name.c_str());
        return false;
    }
    string_fixed_t<NAME_SIZE> base;
    v_fnsplit(m_file_name, nullptr, &base, nullptr);
    char entry[NAME_SIZE + 16];
    snprintf(entry, sizeof entry, "%s_get_dl_ops", base.c_str());

    void *main_module = get_main_handle();
    void *symbol = platform::module_symbol(main_module, entry);
    if (symbol) {
        m_module = main_module;
    } else {
        // A name without a folder would make the loader search the system's library
        // path; plug-ins always live relative to the working directory.
        string_fixed_t<NAME_SIZE + 2> path;
        if (!strchr(m_file_name.c_str(), '/')) path.printf("./%s", m_file_name.c_str());
        else path = m_file_name;
        void *module = platform::module_open(path.c_str());
        if (!module) {
            // The loader's own explanation stands where Windows gave an error code.
            error("[sys] Can't load library '%s': %s", m_file_name.c_str(), platform::module_error());
            error("[sys] Can not load the library '%s'", m_file_name.c_str());
            return false;
        }
        m_module = module;
        symbol = platform::module_symbol(module, entry);
        if (!symbol) {
            error("[sys] '%s' is not a Quarn3D dynamic library - misses entrypoint '%s'", m_file_name.c_str(), entry);
            release();
            return false;
        }
    }
    m_ops = reinterpret_cast<dl_get_ops_t>(symbol)();
    if (!m_ops) {
        // A plug-in without a table cannot be driven: it is refused like one without an
        // entry.
        error("[sys] '%s' returned no operation table from '%s'", m_file_name.c_str(), entry);
        release();
        return false;
    }
    return true;
}

void dl_lib_t::release() {
    platform::module_close(m_module);
    m_module = nullptr;
    m_ops = nullptr;
}

bool dl_lib_t::register_only() {
    if (!load()) return false;
    void *main_module = get_main_handle();
    if (!m_ops->dl_symbols(main_module, m_module) || !m_ops->dl_register(main_module, m_module)) {
        release();
        return false;
    }
    return true;
}

bool dl_lib_t::register_and_execute(unsigned command, void *data) {
    if (!register_only()) return false;
    if (m_ops->dl_execute(get_main_handle(), m_module, command, data)) return true;
    unregister();
    return false;
}

bool dl_lib_t::unregister() {
    if (!m_ops) return false;
    if (!m_ops->dl_unregister(get_main_handle(), m_module)) return false;
    release();
    return true;
}

void *dl_lib_t::lookup_code(const char *name) const { return platform::module_symbol(m_module, name); }

void *dl_lib_t::lookup_data(const char *name) const { return platform::module_symbol(m_module, name); }

}  // namespace quarn
