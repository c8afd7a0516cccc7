#pragma once
// Plug-ins: a shared library, or a module compiled into the main program, that
// exports one entry function "<base name>_get_dl_ops" returning its operation table.
// dl_lib_t turns a library name into a loaded module and its table and calls the
// table's operations in their fixed order: bind symbols, register, execute,
// unregister.
#include "qrncore/api.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {

// A plug-in's operation table. Each operation receives the main program's module
// first and the plug-in's own module second (the same for a module compiled into the
// program) and returns true on success; the base answers true to all four. The
// table belongs to the plug-in: the loader never deletes it.
class QRNCORE_API dl_ops_t {
public:
    virtual ~dl_ops_t();
    // Binds what the plug-in needs from the main program, by name.
    virtual bool dl_symbols(void *main_module, void *module);
    // Registers classes, creates processes and devices.
    virtual bool dl_register(void *main_module, void *module);
    // Removes what dl_register made; true allows the module to be released.
    virtual bool dl_unregister(void *main_module, void *module);
    // Starts the plug-in's work (the game module creates the game process).
    virtual bool dl_execute(void *main_module, void *module, unsigned command, void *data);
};

// The entry function every plug-in exports.
using dl_get_ops_t = dl_ops_t *(*)();

class QRNCORE_API dl_lib_t {
public:
    // Longest file name kept, terminator included: names are paths of the operating
    // system, which run long. A name that does not fit is refused when loading
    // instead of being cut.
    static constexpr uint32_t NAME_SIZE = 256;

    // An empty record: no name, no module, no table.
    dl_lib_t();
    // The file name is name + ".so"; nothing is loaded yet.
    explicit dl_lib_t(const string &name);
    // Copies name, module and table; the module is not loaded a second time.
    dl_lib_t(const dl_lib_t &other);
    dl_lib_t &operator=(const dl_lib_t &other);
    // Forgets the record; a loaded module stays loaded.
    ~dl_lib_t();

    // Loads the module, binds its symbols and registers it. False, with the module
    // released (never the main program's) and the record empty, when a step fails.
    bool register_only();
    // register_only, then dl_execute; a refused dl_execute unregisters and gives false.
    bool register_and_execute(unsigned command, void *data);
    // dl_unregister, then releases the module (never the main program's). False,
    // keeping everything, when the plug-in refuses or when nothing is loaded.
    bool unregister();

    // A symbol of the record's module, or null (also when nothing is loaded).
    void *lookup_code(const char *name) const;
    void *lookup_data(const char *name) const;

    // The main program's own module.
    static void *get_main_handle();

    const char *get_file_name() const { return m_file_name.c_str(); }
    void *get_module() const { return m_module; }
    dl_ops_t *get_ops() const { return m_ops; }

private:
    bool load();
    void release();

    string_fixed_t<NAME_SIZE> m_file_name;
    bool m_name_cut = false;
    void *m_module = nullptr;
    dl_ops_t *m_ops = nullptr;
};

}  // namespace quarn
