#include "kernel/console/cvars.h"

#include <cstring>

#include "kernel/kernel_files.h"
#include "outside/qrnshared/arg.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/messages.h"

using quarn::cvar_t;

namespace quarn {

namespace {

cvar_t *variables = nullptr;

void list_remove(cvar_t *v) {
    if (v->prev) v->prev->next = v->next;
    else variables = v->next;
    if (v->next) v->next->prev = v->prev;
    v->next = v->prev = nullptr;
}

void list_add(cvar_t *v) {
    if (v->hash != 0) {
        warning("[cvar] Ignoring attempt to register a cvar '%s' for the second time.", v->name);
        return;
    }
    v->prev = nullptr;
    v->next = variables;
    if (variables) variables->prev = v;
    variables = v;
    v->hash = cvar_hash(v->name);
}

void free_dynamic(cvar_t *v) {
    cvar_unregister_variable(v);
    delete v;
}

// A new dynamic variable of that name; null when there is no memory.
cvar_t *make_dynamic(const char *name, const char *default_value) {
    cvar_t *v = new cvar_t;
    if (!v) {
        error("[cvar] Out of memory for the variable '%s'", name);
        return nullptr;
    }
    v->reset();
    v->set_name(name);
    v->set_default(default_value);
    _cvar_register_variable(v, true);
    if (v->hash == 0) {
        // A name that was cut may now name an existing variable: nothing was added.
        delete v;
        return nullptr;
    }
    return v;
}

}  // namespace

uint32_t cvar_hash(const char *name) {
    int32_t sum = 0;
    for (const char *p = name; *p; ++p) sum += static_cast<signed char>(*p);
    return sum == 0 ? 13385u : uint32_t(sum);
}

cvar_t *cvar_set_or_create(const char *name, const char *value) {
    if (cvar_t *v = cvar_get(name)) {
        v->set(value);
        return v;
    }
    return make_dynamic(name, value);
}

bool cvar_command(const char *line) {
    arg_t args;
    args.split(line, 0, false);
    if (args.count() == 0) return false;
    cvar_t *v = cvar_get(args.c_word(0));
    if (!v) return false;
    if (args.count() == 1) v->print();
    else v->set(args.c_word(1));
    return true;
}

void cvar_apply_command_line(const char *option) {
    for (unsigned at = cdl_param(option, 1); at != unsigned(-1); at = cdl_param(option, at + 1)) {
        const unsigned values = cdl_argc();
        for (unsigned i = 1; i < values; ++i) {
            const char *entry = cdl_argv(i);
            if (!entry) break;
            const char *equals = strchr(entry, '=');
            const size_t name_len = equals ? size_t(equals - entry) : 0;
            if (!equals || name_len >= 64) {
                error("invalid env: %s", entry);
                continue;
            }
            string_fixed_t<64> name;
            name.copy(string(entry), 0, 0, uint32_t(name_len));
            cvar_t *v = cvar_get(name.c_str());
            if (!v) v = make_dynamic(name.c_str(), "");
            // The value goes straight into the value text: no hooks run.
            if (v) v->set_value_text(equals + 1);
        }
    }
}

void cvar_free_dynamic() {
    for (cvar_t *v = variables; v;) {
        cvar_t *next = v->next;
        if (v->dynamic) free_dynamic(v);
        v = next;
    }
}

}  // namespace quarn

using namespace quarn;

void _cvar_register_variable(cvar_t *v, bool dynamic) {
    // Checked before anything of the record is touched, its value included.
    if (v->hash != 0) {
        list_add(v);
        return;
    }
    v->dynamic = dynamic ? 1 : 0;
    v->value = v->value_text;
    v->default_value = v->default_text;
    if (!v->default_in_use) memcpy(v->value_text, v->default_text, sizeof v->value_text);
    cvar_t *existing = cvar_get(v->name);
    if (dynamic) {
        if (existing) {
            error("[cvar] error registering shadow variable '%s'", v->name);
            return;
        }
    } else if (existing && !existing->dynamic) {
        cvar_link(existing, v);
        return;
    } else if (existing) {
        if (v->is_read_only()) return;
        v->set(existing->get_text());
        free_dynamic(existing);
    }
    list_add(v);
}

void cvar_unregister_variable(cvar_t *v) {
    if (v->hash == 0) {
        // A shadow (a second static registration) is not in the list, but the first
        // variable forwards to it; that link must go too, or it would point at a
        // record that may be gone with its module.
        if (v->linked_from) {
            v->linked_from->unlink();
            return;
        }
        warning("[cvar] Ignoring attempt to unregister an unregistered cvar '%s'.", v->name);
        return;
    }
    list_remove(v);
    if (v->linked_from) v->linked_from->unlink();
    v->unlink();
    v->hash = 0;
    v->link_target = v->linked_from = nullptr;
}

cvar_t *cvar_get(const char *name) {
    if (!name) return nullptr;
    const uint32_t hash = cvar_hash(name);
    for (cvar_t *v = variables; v; v = v->next)
        if (v->hash == hash && strcmp(v->name, name) == 0) return v;
    return nullptr;
}

cvar_t *cvar_get_list() { return variables; }

void cvar_link(cvar_t *v, cvar_t *target) {
    if (!v) return;
    v->unlink();
    v->link(target);
}

void cvar_unlink(cvar_t *v) {
    if (v) v->unlink();
}

void process_store_cfg(const char *path) {
    // The file is written beside the old one and then put in its place, so a failed
    // write never loses the settings already stored.
    string_fixed_t<1024> temp;
    if (!temp.printf("%s.tmp", path)) {
        error("[cvar] Unable to store cvar file '%s': the path is too long.", path);
        return;
    }
    auto_ptr_t<file_t> file = kernel_file_open(temp, KERNEL_FILE_WRITE);
    if (!file) {
        error("[cvar] Unable to open cvar file '%s' for writing.", temp.c_str());
        return;
    }
    verbose("storing cvars");
    bool ok = file->write(CVAR_FILE_HEADER, uint32_t(sizeof CVAR_FILE_HEADER - 1));
    for (cvar_t *v = variables; v && ok; v = v->next)
        if (v->stored && !v->dynamic) ok = v->store(*file);
    file.reset();
    if (!ok) {
        error("[cvar] Unable to write cvar file '%s' - the old file is kept.", path);
        kernel_file_remove(temp);
        return;
    }
    // The written file stays when it cannot take the old one's place: it holds the
    // settings.
    if (!kernel_file_replace(temp, path)) error("[cvar] Unable to replace cvar file '%s' with '%s'.", path, temp.c_str());
}
