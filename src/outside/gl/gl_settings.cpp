#include "outside/gl/gl_settings.h"

#include "outside/qrnshared/bindery.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {

namespace {

cvar_t vsync("r_vsync", "1", cvar_t::STORED);
// What was told already: "key=value" texts.
array_dyn_t<mstring_dyn_t> *told = nullptr;

}  // namespace

void gl_settings_register() { bindery_t(bindery_t::REGISTER).update_cvar(vsync); }

void gl_settings_unregister() {
    bindery_t(bindery_t::UNREGISTER).update_cvar(vsync);
    delete told;
    told = nullptr;
}

bool gl_vsync_wanted() { return vsync.get_int() != 0; }

void gl_tell_unknown_render_state(const char *key, const char *value) {
    mstring_dyn_t text;
    text.printf("%s=%s", key ? key : "", value ? value : "");
    if (!told) told = new array_dyn_t<mstring_dyn_t>;
    if (told) {
        for (const mstring_dyn_t &t : *told)
            if (t == text.c_str()) return;
        told->append(text);
    }
    warning("[gl] The render state '%s' is not known: it is ignored", text.c_str());
}

}  // namespace quarn::gl
