#include "game/game_localisation.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "game/game_module.h"
#include "kernel/console/cvars.h"
#include "kernel/input/input.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/common_proc.h"
#include "outside/qrnshared/def_resource.h"
#include "outside/qrnshared/text_format.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The table is held fixed: the texts the callback hands out point into it.
c_item_lock_t table;
// The "__key_" texts.
mstring_dyn_t key_text;

// Private, and destroyed with its last reference: nobody else shares the table.
constexpr uint32_t TABLE_FLAGS = c_item_t::DESTROY_IMMEDIATELY | c_item_t::PRIVATE;
// Before anything reports a screen.
constexpr int32_t START_WIDTH = 1024, START_HEIGHT = 768;

// Triggers shown for commands that have none bound.
struct default_trigger_t {
    const char *name;
    int32_t code;
};
constexpr default_trigger_t default_triggers[] = {{"ingamemenu", 1}, {"gamepause", 69}, {"screenshot", 68}};

const def_obj_t *translations() {
    const def_pool_t *pool = game_localisation_pool();
    return pool ? pool->find("translate", -1, nullptr) : nullptr;
}

// The value of key, or null when it is missing or empty.
const char *value_of(const def_obj_t *t, const char *key) {
    const char *v = t->get_value(key, -1);
    return v && *v ? v : nullptr;
}

// The translation of key, or the key itself.
const char *text_of(const def_obj_t *t, const char *key) {
    const char *v = value_of(t, key);
    return v ? v : key;
}

void screen_size(int32_t *width, int32_t *height) {
    *width = START_WIDTH;
    *height = START_HEIGHT;
    switch (game_module_mode()) {
        case GAME_MODULE_RUNNING:
            if (const common_proc_t *process = game_module_process()) process->get_screen_size(width, height);
            break;
        case GAME_MODULE_HOSTED:
            if (game_host_callback_t ask = game_module_host_callback())
                if (game_host_screen_t *screen = ask(HOST_ASK_SCREEN)) screen->get_screen_size(width, height);
            break;
        default: break;
    }
}

const char *font_text(const def_obj_t *t, const char *key) {
    int32_t width = 0, height = 0;
    screen_size(&width, &height);
    mstring_dyn_t name;
    if (!name.printf("%s_%d", key, int(height))) return key;
    if (const char *v = value_of(t, name.c_str())) return v;
    if (!name.printf("%s_x", key)) return key;
    const char *v = value_of(t, name.c_str());
    return v ? v : key;
}

const char *bracketed(const char *text) {
    mstring_dyn_t inner(text);
    return text_format(key_text, "[%s]", {inner}) ? key_text.c_str() : "";
}

const char *binding_text(const def_obj_t *t, const char *name) {
    const inp_impulse_t *impulse = inp_get_impulse_name(name);
    const inp_trigger_t *first = impulse ? inp_search_trigger_impulse(impulse) : inp_search_trigger_command(name);
    const inp_trigger_t *second = !first ? nullptr
                                  : impulse ? inp_search_trigger_impulse(impulse, first)
                                            : inp_search_trigger_command(name, first);
    if (first && second) {
        // The translation is data: it fills its places through the checked formatter.
        mstring_dyn_t both;
        text_format(both, text_of(t, "g_oc_primaryplussecondary"), {first->display, second->display});
        return bracketed(both.c_str());
    }
    if (first) return bracketed(first->display);
    for (const default_trigger_t &d : default_triggers) {
        if (strcasecmp(d.name, name) != 0) continue;
        if (const inp_trigger_t *trigger = inp_get_trigger_code(d.code)) return bracketed(trigger->display);
    }
    return bracketed(text_of(t, "g_oc_notrigger"));
}

}  // namespace

bool load_localisation(const char *language) {
    release_localisation();
    mstring_dyn_t path;
    if (!path.printf("/l10n/%s/local0.def", language ? language : "")) return false;
    // A language without a table is no error: keys then stand for themselves, and
    // nothing is logged.
    if (!fs_file_exists(path.c_str(), FS_REALM_VIRTUAL)) return false;
    c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD, path.c_str(), nullptr, TABLE_FLAGS);
    if (!item) return false;
    table.set(item);
    return table.get_data() != nullptr;
}

void release_localisation() { table.release(); }

void on_language_changed(const char *language) {
    if (game_module_mode() != GAME_MODULE_HOSTED) return;
    load_localisation(language);
    game_module_request_ui_recache();
}

const def_pool_t *game_localisation_pool() { return def_resource_u::pool_of(table.get_data()); }

const char *translate_callback(const char *key) {
    if (!key) return "";
    const def_obj_t *t = translations();
    if (!t) return key;
    if (strncmp(key, "__fnt", 5) == 0) return font_text(t, key);
    if (strncmp(key, "__key_", 6) == 0) return binding_text(t, key + 6);
    if (strcmp(key, "__language") == 0) {
        const cvar_t *language = cvar_get("g_lang");
        return language ? language->get_text() : key;
    }
    return text_of(t, key);
}

}  // namespace quarn
