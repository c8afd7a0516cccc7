// Trigger and impulse names, bindings, the binding layers and their console commands.
#include "kernel/input/inp_bindings.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "kernel/console/commands.h"
#include "kernel/input/input.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

struct trigger_name_t {
    int32_t code;
    const char *name;
    const char *display;  // null: the name, single letters as capitals
};

// The named triggers. The other codes of 1-255 are user keys; 272-279, 297-299 and
// 317-322 have no name.
const trigger_name_t trigger_names[] = {
    {0, "reserved", "Reserved"},
    {1, "esc", "Esc"},
    {2, "key1", "1"},
    {3, "key2", "2"},
    {4, "key3", "3"},
    {5, "key4", "4"},
    {6, "key5", "5"},
    {7, "key6", "6"},
    {8, "key7", "7"},
    {9, "key8", "8"},
    {10, "key9", "9"},
    {11, "key0", "0"},
    {12, "minus", "-"},
    {13, "equal", "="},
    {14, "backspace", "Backspace"},
    {15, "tab", "Tab"},
    {16, "q", nullptr},
    {17, "w", nullptr},
    {18, "e", nullptr},
    {19, "r", nullptr},
    {20, "t", nullptr},
    {21, "y", nullptr},
    {22, "u", nullptr},
    {23, "i", nullptr},
    {24, "o", nullptr},
    {25, "p", nullptr},
    {26, "lbracket", "["},
    {27, "rbracket", "]"},
    {28, "enter", "Enter"},
    {29, "lctrl", "Left Ctrl"},
    {30, "a", nullptr},
    {31, "s", nullptr},
    {32, "d", nullptr},
    {33, "f", nullptr},
    {34, "g", nullptr},
    {35, "h", nullptr},
    {36, "j", nullptr},
    {37, "k", nullptr},
    {38, "l", nullptr},
    {39, "semicolon", ";"},
    {40, "apostrophe", "'"},
    {41, "grave", "`"},
    {42, "lshift", "Left Shift"},
    {43, "bslash", "Backslash"},
    {44, "z", nullptr},
    {45, "x", nullptr},
    {46, "c", nullptr},
    {47, "v", nullptr},
    {48, "b", nullptr},
    {49, "n", nullptr},
    {50, "m", nullptr},
    {51, "comma", ","},
    {52, "period", "."},
    {53, "slash", "Slash"},
    {54, "rshift", "Right Shift"},
    {55, "nummultiply", "Numpad *"},
    {56, "lalt", "Left Alt"},
    {57, "space", "Space"},
    {58, "caps", "Caps Lock"},
    {59, "f1", "F1"},
    {60, "f2", "F2"},
    {61, "f3", "F3"},
    {62, "f4", "F4"},
    {63, "f5", "F5"},
    {64, "f6", "F6"},
    {65, "f7", "F7"},
    {66, "f8", "F8"},
    {67, "f9", "F9"},
    {68, "f10", "F10"},
    {69, "pause", "Pause"},
    {70, "scrollock", "Scroll Lock"},
    {71, "num7", "Numpad 7"},
    {72, "num8", "Numpad 8"},
    {73, "num9", "Numpad 9"},
    {74, "numminus", "Numpad -"},
    {75, "num4", "Numpad 4"},
    {76, "num5", "Numpad 5"},
    {77, "num6", "Numpad 6"},
    {78, "numplus", "Numpad +"},
    {79, "num1", "Numpad 1"},
    {80, "num2", "Numpad 2"},
    {81, "num3", "Numpad 3"},
    {82, "num0", "Numpad 0"},
    {83, "numperiod", "Numpad ."},
    {84, "prtscr", "Print Screen"},
    {87, "f11", "F11"},
    {88, "f12", "F12"},
    {156, "numenter", "Numpad Enter"},
    {157, "rctrl", "Right Ctrl"},
    {181, "numslash", "Numpad /"},
    {184, "ralt", "Right Alt"},
    {197, "numlock", "NumLock"},
    {199, "home", "Home"},
    {200, "uarrow", "Up Arrow"},
    {201, "pgup", "Page Up"},
    {203, "larrow", "Left Arrow"},
    {205, "rarrow", "Right Arrow"},
    {207, "end", "End"},
    {208, "darrow", "Down Arrow"},
    {209, "pgdn", "Page Down"},
    {210, "ins", "Insert"},
    {211, "del", "Delete"},
    {218, "win1", "Windows 1"},
    {219, "win2", "Windows 2"},
    {220, "win3", "Windows 3"},
    {256, "cursorx", "Cursor X"},
    {257, "cursory", "Cursor Y"},
    {258, "mouseleft", "Mouse Left"},
    {259, "mouseright", "Mouse Right"},
    {260, "mouseup", "Mouse Up"},
    {261, "mousedown", "Mouse Down"},
    {262, "mouse1", "Mouse 1"},
    {263, "mouse2", "Mouse 2"},
    {264, "mouse3", "Mouse 3"},
    {265, "mouse4", "Mouse 4"},
    {266, "mouse5", "Mouse 5"},
    {267, "mouse6", "Mouse 6"},
    {268, "mouse7", "Mouse 7"},
    {269, "mouse8", "Mouse 8"},
    {270, "mousewheelup", "Mouse Wheel Up"},
    {271, "mousewheeldown", "Mouse Wheel Down"},
    {280, "js_b1", "Joy 1"},
    {281, "js_b2", "Joy 2"},
    {282, "js_b3", "Joy 3"},
    {283, "js_b4", "Joy 4"},
    {284, "js_b5", "Joy 5"},
    {285, "js_b6", "Joy 6"},
    {286, "js_b7", "Joy 7"},
    {287, "js_b8", "Joy 8"},
    {288, "js_b9", "Joy 9"},
    {289, "js_b10", "Joy 10"},
    {290, "js_b11", "Joy 11"},
    {291, "js_b12", "Joy 12"},
    {292, "js_b13", "Joy 13"},
    {293, "js_left", "Joy Left"},
    {294, "js_right", "Joy Right"},
    {295, "js_up", "Joy Up"},
    {296, "js_down", "Joy Down"},
    {300, "js2_b1", "Joy2 1"},
    {301, "js2_b2", "Joy2 2"},
    {302, "js2_b3", "Joy2 3"},
    {303, "js2_b4", "Joy2 4"},
    {304, "js2_b5", "Joy2 5"},
    {305, "js2_b6", "Joy2 6"},
    {306, "js2_b7", "Joy2 7"},
    {307, "js2_b8", "Joy2 8"},
    {308, "js2_b9", "Joy2 9"},
    {309, "js2_b10", "Joy2 10"},
    {310, "js2_b11", "Joy2 11"},
    {311, "js2_b12", "Joy2 12"},
    {312, "js2_b13", "Joy2 13"},
    {313, "js2_left", "Joy2 Left"},
    {314, "js2_right", "Joy2 Right"},
    {315, "js2_up", "Joy2 Up"},
    {316, "js2_down", "Joy2 Down"},
    {323, "js1", "Joystick1"},
    {324, "js2", "Joystick2"},
    {325, "js3", "Joystick3"},
    {326, "js4", "Joystick4"},
    {327, "js5", "Joystick5"},
    {328, "js6", "Joystick6"},
    {329, "js7", "Joystick7"},
    {330, "js8", "Joystick8"},
    {331, "js9", "Joystick9"},
    {332, "js10", "Joystick10"},
};

bool is_empty_code(int code) {
    return (code >= 272 && code <= 279) || (code >= 297 && code <= 299) || (code >= 317 && code <= 322);
}

void copy_cut(char *dst, size_t size, const char *src) {
    snprintf(dst, size, "%s", src ? src : "");
}

bool same_text(const char *a, const char *b) { return strcasecmp(a ? a : "", b ? b : "") == 0; }

char *copy_text(const char *text) {
    const size_t n = strlen(text) + 1;
    char *p = static_cast<char *>(qrncore_system_new_vector(n));
    if (p) memcpy(p, text, n);
    return p;
}

void free_command(inp_trigger_t *t) {
    if (t->command) qrncore_system_delete_vector(t->command);
    t->command = nullptr;
}

}  // namespace

bool inp_name_key(const char *name, char *key, uint32_t &length) {
    if (!name) return false;
    uint32_t n = 0;
    for (; name[n]; ++n) {
        if (n == 15) return false;
        const char c = name[n];
        key[n] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    key[n] = 0;
    length = n;
    return n > 0;
}

bool inp_name_triggers(inp_state_t &state) {
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
        inp_trigger_t &t = state.triggers[code];
        t.name[0] = t.display[0] = 0;
        if (code <= 255) {
            snprintf(t.name, sizeof t.name, "x%02x", unsigned(code));
            snprintf(t.display, sizeof t.display, "User Key %02x", unsigned(code));
        }
    }
    for (const trigger_name_t &n : trigger_names) {
        inp_trigger_t &t = state.triggers[n.code];
        copy_cut(t.name, sizeof t.name, n.name);
        if (n.display) {
            copy_cut(t.display, sizeof t.display, n.display);
        } else {
            copy_cut(t.display, sizeof t.display, n.name);
            if (!n.name[1] && t.display[0] >= 'a' && t.display[0] <= 'z') t.display[0] = char(t.display[0] - 32);
        }
    }
    state.trigger_names.clear();
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
        inp_trigger_t &t = state.triggers[code];
        if (is_empty_code(code)) continue;
        char key[16];
        uint32_t length = 0;
        if (!inp_name_key(t.name, key, length) || !state.trigger_names.put(key, length, &t)) return false;
    }
    return true;
}

void inp_index_impulse_name(const char *name) {
    char key[16];
    uint32_t length = 0;
    if (!inp_state || !inp_name_key(name, key, length)) return;
    inp_state->impulse_names.remove_key(key, length);
    // The lowest code of that name answers, as a search from code 0 would.
    for (inp_impulse_t &i : inp_state->impulses) {
        if (!same_text(i.name, key)) continue;
        if (!inp_state->impulse_names.put(key, length, &i)) error("[inp] Out of memory indexing the impulse '%s'", key);
        return;
    }
}

}  // namespace quarn

using namespace quarn;

inp_trigger_t *_inp_get_trigger_name(const char *name) {
    char key[16];
    uint32_t length = 0;
    if (!inp_state || !inp_name_key(name, key, length)) return nullptr;
    return static_cast<inp_trigger_t *>(inp_state->trigger_names.find(key, length));
}

// A negative code would read before the table: refused here and in every other input
// function.
inp_trigger_t *_inp_get_trigger_code(int code) {
    if (!inp_state || code < 0 || code >= INP_TRIGGER_COUNT) return nullptr;
    return &inp_state->triggers[code];
}

bool _inp_bind_command(inp_trigger_t *trigger, const char *text, bool privileged, int id) {
    if (!trigger) return false;
    free_command(trigger);
    trigger->privileged = privileged;
    trigger->id = id;
    if (!text) return true;
    trigger->command = copy_text(text);
    if (!trigger->command) {
        error("[inp] Out of memory binding '%s' to '%s'", text, trigger->name);
        return false;
    }
    return true;
}

inp_trigger_t *_inp_bind_impulse(inp_trigger_t *trigger, inp_impulse_t *impulse, int id) {
    if (!trigger) return nullptr;
    trigger->impulse = impulse;
    trigger->id = id;
    return trigger;
}

void _inp_unbind_impulse(inp_impulse_t *impulse) {
    if (!inp_state || !impulse) return;
    for (inp_trigger_t &t : inp_state->triggers) {
        if (t.impulse != impulse) continue;
        t.impulse = nullptr;
        t.id = 0;
    }
}

void inp_unbind_command(const char *text) {
    if (!inp_state || !text) return;
    for (inp_trigger_t &t : inp_state->triggers)
        if (t.command && same_text(t.command, text)) free_command(&t);
}

// The search goes on after `after`, so a trigger of another table gives null rather
// than an index computed from a foreign address.
static int search_start(const inp_trigger_t *after) {
    if (!after) return 0;
    const inp_trigger_t *first = inp_state->triggers;
    if (after < first || after >= first + INP_TRIGGER_COUNT) return INP_TRIGGER_COUNT;
    return int(after - first) + 1;
}

inp_trigger_t *_inp_search_trigger_impulse(const inp_impulse_t *impulse, const inp_trigger_t *after) {
    if (!inp_state || !impulse) return nullptr;
    for (int code = search_start(after); code < INP_TRIGGER_COUNT; ++code)
        if (inp_state->triggers[code].impulse == impulse) return &inp_state->triggers[code];
    return nullptr;
}

inp_trigger_t *_inp_search_trigger_command(const char *text, const inp_trigger_t *after) {
    if (!inp_state || !text) return nullptr;
    for (int code = search_start(after); code < INP_TRIGGER_COUNT; ++code) {
        inp_trigger_t &t = inp_state->triggers[code];
        if (t.command && same_text(t.command, text)) return &t;
    }
    return nullptr;
}

inp_impulse_t *_inp_get_impulse_name(const char *name) {
    char key[16];
    uint32_t length = 0;
    if (!inp_state || !inp_name_key(name, key, length)) return nullptr;
    return static_cast<inp_impulse_t *>(inp_state->impulse_names.find(key, length));
}

inp_impulse_t *_inp_get_impulse_code(int code) {
    if (!inp_state || code < 0 || code >= INP_IMPULSE_COUNT) return nullptr;
    return &inp_state->impulses[code];
}

void _inp_name_impulse(inp_impulse_t *impulse, const char *name) {
    if (!inp_state || !impulse) return;
    char old[16];
    copy_cut(old, sizeof old, impulse->name);
    copy_cut(impulse->name, sizeof impulse->name, name);
    inp_index_impulse_name(old);
    inp_index_impulse_name(impulse->name);
}

// ---- the binding layers ----

bool inp_store_bindings(def_pool_t *pool) {
    if (!pool) return false;
    pool->clear();
    if (!inp_state) return false;
    def_obj_t *commands = pool->create_object("commands");
    def_obj_t *impulses = pool->create_object("impulses");
    bool ok = commands && impulses;
    for (int code = 0; ok && code < INP_TRIGGER_COUNT; ++code) {
        const inp_trigger_t &t = inp_state->triggers[code];
        if (!t.name[0]) continue;
        if (t.impulse) {
            def_obj_t *o = pool->create_object(t.name, impulses);
            ok = o && o->set_value("impulse", t.impulse->name) && (t.id == 0 || o->set_int("id", t.id));
        }
        if (ok && t.command && t.command[0]) {
            def_obj_t *o = pool->create_object(t.name, commands);
            ok = o && o->set_value("command", t.command) && (!t.privileged || o->set_value("privileged", "1")) &&
                 (t.id == 0 || o->set_int("id", t.id));
        }
    }
    if (!ok) {
        error("[inp] Could not store the bindings");
        pool->clear();
    }
    return ok;
}

namespace {

// The marks of the layers in the bookkeeping tables; 0 is a binding no layer
// mentions, 1 one that stays as it is.
constexpr uint8_t MARK_UNTOUCHED = 0;
constexpr uint8_t MARK_SAME = 1;

struct layer_tables_t {
    uint8_t commands[INP_TRIGGER_COUNT];
    uint8_t impulses[INP_TRIGGER_COUNT];

    void reset() {
        for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
            const inp_trigger_t &t = inp_state->triggers[code];
            commands[code] = t.command && t.command[0] ? MARK_UNTOUCHED : MARK_SAME;
            impulses[code] = t.impulse ? MARK_UNTOUCHED : MARK_SAME;
        }
    }
};

struct command_binding_t {
    const char *text;  // null: no command
    bool privileged;
    int32_t id;
};

command_binding_t read_command(const def_obj_t *o) {
    command_binding_t b{o->get_value("command"), false, 0};
    if (b.text && !b.text[0]) b.text = nullptr;
    o->get_bool("privileged", b.privileged);
    o->get_int("id", b.id);
    return b;
}

// The check pass over one layer: marks every trigger the layer binds differently.
// False when the layer lacks an object or names an unknown trigger or impulse.
bool check_layer(const def_pool_t *pool, uint8_t mark, layer_tables_t &tables) {
    if (!pool) return true;
    const def_obj_t *commands = pool->find("commands");
    const def_obj_t *impulses = pool->find("impulses");
    if (!commands || !impulses) {
        warning("[inp] A binding layer lacks its \"commands\" or \"impulses\" object");
        return false;
    }
    bool ok = true;
    for (const def_obj_t *o = commands->get_first_child(); o; o = o->get_next()) {
        if (!o->get_value("command")) continue;
        inp_trigger_t *t = _inp_get_trigger_name(o->get_name());
        if (!t) {
            warning("[inp] Unknown trigger name '%s'", o->get_name());
            ok = false;
            continue;
        }
        const command_binding_t b = read_command(o);
        const bool same = (b.text ? t->command && strcmp(t->command, b.text) == 0 : !t->command || !t->command[0]) &&
                          bool(t->privileged) == b.privileged;
        tables.commands[t->code] = same ? MARK_SAME : mark;
    }
    for (const def_obj_t *o = impulses->get_first_child(); o; o = o->get_next()) {
        const char *name = o->get_value("impulse");
        if (!name || !name[0]) continue;
        inp_trigger_t *t = _inp_get_trigger_name(o->get_name());
        if (!t) {
            warning("[inp] Unknown trigger name '%s'", o->get_name());
            ok = false;
            continue;
        }
        inp_impulse_t *impulse = _inp_get_impulse_name(name);
        if (!impulse) {
            warning("[inp] Unknown impulse name '%s'", name);
            ok = false;
            continue;
        }
        int32_t id = 0;
        o->get_int("id", id);
        tables.impulses[t->code] = t->impulse == impulse && t->id == id ? MARK_SAME : mark;
    }
    return ok;
}

// The apply pass over one checked layer: triggers marked with the layer's mark take
// its bindings.
bool apply_layer(const def_pool_t *pool, uint8_t mark, const layer_tables_t &tables) {
    if (!pool) return true;
    bool ok = true;
    for (const def_obj_t *o = pool->find("commands")->get_first_child(); o; o = o->get_next()) {
        if (!o->get_value("command")) continue;
        inp_trigger_t *t = _inp_get_trigger_name(o->get_name());
        if (!t || tables.commands[t->code] != mark) continue;
        const command_binding_t b = read_command(o);
        if (t->handled) t->suppressed = 1;
        ok = _inp_bind_command(t, b.text, b.privileged, b.id) && ok;
    }
    for (const def_obj_t *o = pool->find("impulses")->get_first_child(); o; o = o->get_next()) {
        const char *name = o->get_value("impulse");
        if (!name || !name[0]) continue;
        inp_trigger_t *t = _inp_get_trigger_name(o->get_name());
        inp_impulse_t *impulse = _inp_get_impulse_name(name);
        if (!t || !impulse || tables.impulses[t->code] != mark) continue;
        int32_t id = 0;
        o->get_int("id", id);
        if (t->handled) t->suppressed = 1;
        _inp_bind_impulse(t, impulse, id);
        impulse->activated = 0;
    }
    return ok;
}

}  // namespace

bool _inp_restore_bindings(const def_pool_t *system, const def_pool_t *user, const def_pool_t *modal) {
    if (!inp_state) return false;
    const def_pool_t *pools[3] = {system, user, modal};
    static const char *const layer_names[3] = {"system", "user", "modal"};
    layer_tables_t tables;
    tables.reset();
    bool checked[3];
    for (int i = 0; i < 3; ++i) checked[i] = check_layer(pools[i], uint8_t(2 + i), tables);
    if (!checked[0]) {
        error("[inp] Malformed system trigger bindings compiled in the application!");
        return false;
    }
    // Again without the layers that failed, so that they mark nothing.
    tables.reset();
    for (int i = 0; i < 3; ++i)
        if (checked[i]) check_layer(pools[i], uint8_t(2 + i), tables);
    for (int code = 0; code < INP_TRIGGER_COUNT; ++code) {
        inp_trigger_t *t = &inp_state->triggers[code];
        if (tables.commands[code] == MARK_UNTOUCHED) {
            inp_clear_trigger_state(t);
            _inp_bind_command(t, nullptr, false, 0);
        }
        if (tables.impulses[code] == MARK_UNTOUCHED) {
            inp_clear_trigger_state(t);
            _inp_bind_impulse(t, nullptr, 0);
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (!checked[i] || apply_layer(pools[i], uint8_t(2 + i), tables)) continue;
        error("[inp] Could not restore %s bindings.", layer_names[i]);
        return false;
    }
    return true;
}

// ---- console commands ----

namespace {

int bind_imp(const cmd_context_t *c) {
    if (c->argc() < 3) {
        error("bind_imp: Bad args. Usage: bind_imp trigger_name impulse_name");
        return cmd_t::DONE;
    }
    inp_trigger_t *t = _inp_get_trigger_name(c->argv(1));
    if (!t) {
        error("bind_imp: Unknown trigger '%s'", c->argv(1));
        return cmd_t::DONE;
    }
    inp_impulse_t *impulse = _inp_get_impulse_name(c->argv(2));
    if (!impulse) {
        error("bind_imp: Unknown impulse '%s'", c->argv(2));
        return cmd_t::DONE;
    }
    _inp_bind_impulse(t, impulse, 0);
    return cmd_t::DONE;
}

int unbind_imp(const cmd_context_t *c) {
    if (c->argc() < 2) {
        error("unbind_imp: Bad args. Usage: unbind_imp trigger_name");
        return cmd_t::DONE;
    }
    inp_trigger_t *t = _inp_get_trigger_name(c->argv(1));
    if (!t) error("unbind_imp: Unknown trigger '%s'", c->argv(1));
    else _inp_bind_impulse(t, nullptr, 0);
    return cmd_t::DONE;
}

int bind_cmd(const cmd_context_t *c) {
    if (c->argc() < 3) {
        error("bind_cmd: Bad args. Usage: bind_cmd trigger_name command [privileged]");
        return cmd_t::DONE;
    }
    inp_trigger_t *t = _inp_get_trigger_name(c->argv(1));
    if (!t) {
        error("bind_cmd: Unknown trigger '%s'", c->argv(1));
        return cmd_t::DONE;
    }
    const bool privileged = c->argc() > 3 && v_strtol(c->argv(3), nullptr, 0) != 0;
    _inp_bind_command(t, c->argv(2), privileged, 0);
    return cmd_t::DONE;
}

int unbind_cmd(const cmd_context_t *c) {
    if (c->argc() < 2) {
        error("unbind_cmd: Bad args. Usage: unbind_cmd trigger_name");
        return cmd_t::DONE;
    }
    inp_trigger_t *t = _inp_get_trigger_name(c->argv(1));
    if (!t) error("unbind_cmd: Unknown trigger '%s'", c->argv(1));
    else _inp_bind_command(t, nullptr, false, 0);
    return cmd_t::DONE;
}

int imp_alias(const cmd_context_t *c) {
    if (c->argc() < 3) {
        error("imp_alias: Bad args. Usage: imp_alias number name");
        return cmd_t::DONE;
    }
    const char *end = nullptr;
    const int32_t code = v_strtol(c->argv(1), &end, 0);
    inp_impulse_t *impulse = end != c->argv(1) ? _inp_get_impulse_code(code) : nullptr;
    if (!impulse) {
        error("imp_alias: Unknown impulse");
        return cmd_t::DONE;
    }
    if (impulse->name[0] && !same_text(impulse->name, c->argv(2)))
        warning("imp_alias: Detected an attempt to rename impulse '%s' to '%s'", impulse->name, c->argv(2));
    _inp_name_impulse(impulse, c->argv(2));
    return cmd_t::DONE;
}

cmd_t bind_imp_command("bind_imp", bind_imp);
cmd_t unbind_imp_command("unbind_imp", unbind_imp);
cmd_t bind_cmd_command("bind_cmd", bind_cmd);
cmd_t unbind_cmd_command("unbind_cmd", unbind_cmd);
cmd_t imp_alias_command("imp_alias", imp_alias);

}  // namespace

void quarn::inp_bind_commands(int phase) {
    for (cmd_t *c : {&bind_imp_command, &unbind_imp_command, &bind_cmd_command, &unbind_cmd_command, &imp_alias_command}) {
        if (phase == 0) cmd_register_command(c, cmd_t::NO_QUEUE);
        else cmd_unregister_command(c);
    }
}
