#include "game/ui/system/profilerhdl.h"

#include <cstdio>

#include "game/ui/controls/list_control.h"
#include "game/ui/system/profiler_flat.h"
#include "game/ui/system/system_windows.h"
#include "game/ui/ui_classes.h"
#include "kernel/console/commands.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr int32_t MODE_GROUPS[system_profiler_handler_t::MODE_COUNT] = {
    system_profiler_handler_t::TREE_GROUP, system_profiler_handler_t::FLAT_GROUP,
    system_profiler_handler_t::ZONE_GROUP};
constexpr int32_t MODE_LISTS[system_profiler_handler_t::MODE_COUNT] = {
    system_profiler_handler_t::TREE_LIST, system_profiler_handler_t::FLAT_LIST, system_profiler_handler_t::ZONE_LIST};

// The profiler counts microseconds; the view shows milliseconds.
double ms(uint64_t usec) { return double(usec) * 0.001; }

// A share in percent; 0 of 0 (an empty frame) is 0.0.
double pct(double part, double whole) { return whole > 0.0 ? 100.0 * part / whole : 0.0; }

uint64_t self_time(const profiler_node_t *n, uint32_t slot) { return n->total_time[slot] - n->child_time[slot]; }

void node_path(const profiler_node_t *n, mstring_dyn_t &out) {
    if (!n) {
        out.copy("");
        return;
    }
    node_path(n->parent, out);
    out.append('/');
    out.append(string(n->name ? n->name : ""));
}

const char *name_of(const profiler_node_t *n) { return n && n->name ? n->name : ""; }

}  // namespace

int32_t system_profiler_handler_t::row_of_key(uint32_t code) {
    if (code >= 2 && code <= 10) return int32_t(code - 1);  // 1 ... 9
    if (code == 11) return 0;
    switch (code) {
    case 30: return 10;  // A
    case 48: return 11;  // B
    case 46: return 12;  // C
    case 32: return 13;  // D
    case 18: return 14;  // E
    case 33: return 15;  // F
    default: return -1;
    }
}

int32_t system_profiler_handler_t::get_frame_offset() const {
    if (m_shown == m_live) return 0;
    int32_t offset = int32_t(m_shown) - int32_t(m_live);
    if (m_shown > m_live) offset -= int32_t(PROFILER_SLOTS);
    return offset;
}

system_profiler_handler_t::frame_t system_profiler_handler_t::frame() const {
    frame_t f;
    f.slot = m_shown;
    if (!m_root) return f;
    // The live frame is still running: its root has no time of its own yet.
    f.time = m_shown == m_live ? profiler_elapsed_time() : m_root->total_time[m_shown];
    f.calls = m_root->tree_calls(m_shown);
    return f;
}

void system_profiler_handler_t::on_wcreate() {
    ui_handler_t::on_wcreate();
    m_root = m_node = profiler_tree();
    m_zones = profiler_zones();
    m_zone = nullptr;
    m_caller = nullptr;
    select_mode(MODE_TREE);
}

void system_profiler_handler_t::on_wshow() {
    ui_handler_t::on_wshow();
    const profiler_frame_iterator_t &it = profiler_pause();
    m_live = m_shown = it.current % PROFILER_SLOTS;
    refresh();
}

void system_profiler_handler_t::on_whide() {
    ui_handler_t::on_whide();
    profiler_unpause();
}

void system_profiler_handler_t::handler() {
    ui_handler_t::handler();
    ++m_pass;
    ui_window_t *window = get_window();
    if (m_shown != m_live || !window || !window->shown) return;
    const ui_render_context_t *context = ui_context();
    m_refresh -= float(context ? context->frame_time : 0.0);
    if (m_refresh > 0.0f) return;
    refresh();
}

bool system_profiler_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    ui_window_t *window = get_window();
    const bool ours = window && view && (view == window || view->get_window() == window);
    if (type != UI_ACT_KEY_DOWN || !param || !ours || !take_key(param->key_code()))
        return ui_handler_t::handle(view, type, param);
    return false;
}

bool system_profiler_handler_t::take_key(uint32_t code) {
    switch (code) {
    case KEY_T: select_mode(MODE_TREE); return true;
    case KEY_L: select_mode(MODE_FLAT); return true;
    case KEY_Z: select_mode(MODE_ZONES); return true;
    case KEY_PAGE_UP:
        m_offset[m_mode] = m_offset[m_mode] > ROWS ? m_offset[m_mode] - ROWS : 0;
        refresh();
        return true;
    case KEY_PAGE_DOWN:
        m_offset[m_mode] += ROWS;
        refresh();
        return true;
    case KEY_LEFT:
        m_shown = (m_shown + PROFILER_SLOTS - 1) % PROFILER_SLOTS;
        refresh();
        return true;
    case KEY_RIGHT:
        m_shown = (m_shown + 1) % PROFILER_SLOTS;
        refresh();
        return true;
    case KEY_U:
        if (m_mode == MODE_FLAT) return false;
        up();
        return true;
    default: break;
    }
    const int32_t row = row_of_key(code);
    if (row < 0 || m_mode == MODE_FLAT) return false;
    drill(uint32_t(row));
    return true;
}

void system_profiler_handler_t::select_mode(uint32_t mode) {
    if (mode >= MODE_COUNT) return;
    for (int32_t group : MODE_GROUPS) m_items.show(group, false);
    m_items.show(MODE_GROUPS[mode], true);
    m_mode = mode;
    refresh();
}

void system_profiler_handler_t::drill(uint32_t row) {
    if (row >= ROWS) return;
    const uint32_t index = m_offset[m_mode] + row;
    if (m_mode == MODE_TREE && m_node) {
        profiler_node_t *n = m_node->child;
        for (uint32_t i = 0; n && i < index; ++i) n = n->sibling;
        if (!n || !n->child) return;
        m_node = n;
    } else if (m_mode == MODE_ZONES && !m_zone) {
        profiler_zone_t *z = m_zones;
        for (uint32_t i = 0; z && i < index; ++i) z = z->next;
        if (!z || !z->first) return;
        m_zone = z;
    } else if (m_mode == MODE_ZONES && !m_caller) {
        profiler_node_t *n = m_zone->first;
        for (uint32_t i = 0; n && i < index; ++i) n = n->next_name;
        if (!n) return;
        m_caller = n;
    } else {
        return;
    }
    m_offset[m_mode] = 0;
    refresh();
}

void system_profiler_handler_t::up() {
    if (m_mode == MODE_TREE) {
        if (!m_node || !m_node->parent) return;
        m_node = m_node->parent;
    } else if (m_mode == MODE_ZONES) {
        if (m_caller) m_caller = nullptr;
        else if (m_zone) m_zone = nullptr;
        else return;
    } else {
        return;
    }
    m_offset[m_mode] = 0;
    refresh();
}

uint32_t system_profiler_handler_t::clamp_offset(uint32_t count) {
    uint32_t &offset = m_offset[m_mode];
    if (offset >= count) offset = count > 0 ? count - 1 : 0;
    return offset;
}

void system_profiler_handler_t::add_row(const char *text) { m_rows.append(mstring_dyn_t(text)); }

void system_profiler_handler_t::refresh() {
    // Every refresh starts the live frame's countdown again.
    m_refresh = REFRESH;
    // A profiler brought up anew (a test's own) makes the old nodes void.
    if (profiler_tree() != m_root) {
        m_root = m_node = profiler_tree();
        m_zones = profiler_zones();
        m_zone = nullptr;
        m_caller = nullptr;
    }
    const int32_t offset = get_frame_offset();
    if (offset == 0) m_frame_text.copy("\\gLIVE!");
    else m_frame_text.printf("\\g%d", offset);
    m_items.set_text(FRAME_ITEM, m_frame_text.c_str());
    m_rows.clear();
    const frame_t f = frame();
    switch (m_mode) {
    case MODE_TREE: refresh_tree(f); break;
    case MODE_FLAT: refresh_flat(f); break;
    default: refresh_zones(f); break;
    }
    publish(MODE_LISTS[m_mode]);
}

void system_profiler_handler_t::refresh_tree(const frame_t &f) {
    char text[512];
    const double frame_ms = ms(f.time);
    uint32_t count = 0;
    if (m_node)
        for (const profiler_node_t *n = m_node->child; n; n = n->sibling) ++count;
    const uint32_t first = clamp_offset(count);
    const profiler_node_t *n = m_node ? m_node->child : nullptr;
    for (uint32_t i = 0; n && i < first; ++i) n = n->sibling;
    const double level_ms = m_node ? ms(m_node->total_time[f.slot]) : 0.0;
    for (uint32_t row = 0; n && row < ROWS; ++row, n = n->sibling) {
        const double self = ms(self_time(n, f.slot)), total = ms(n->total_time[f.slot]);
        const uint32_t calls = n->calls[f.slot];
        snprintf(text, sizeof text, "%x|%c%s|%.1f|%.1f|%.1f|%.1f|%.1f|%u|%.1f", row, n->child ? '+' : ' ', name_of(n),
                 self, pct(self, frame_ms), total, pct(total, frame_ms), pct(total, level_ms), calls,
                 pct(calls, f.calls));
        add_row(text);
    }
    if (m_node) {
        const double self = ms(self_time(m_node, f.slot)), total = ms(m_node->total_time[f.slot]);
        snprintf(text, sizeof text, "LEVEL|%.1f|%.1f|%.1f|%.1f", self, pct(self, frame_ms), total, pct(total, frame_ms));
        m_items.set_text(TREE_LEVEL, text);
    }
    const double root_self = m_root ? ms(self_time(m_root, f.slot)) : 0.0;
    snprintf(text, sizeof text, "TOTAL|%.1f|%.1f|%.1f|%.1f", root_self, pct(root_self, frame_ms), frame_ms,
             pct(frame_ms, frame_ms));
    m_items.set_text(TREE_TOTAL, text);
    mstring_dyn_t path;
    node_path(m_node, path);
    m_items.set_text(TREE_PATH, path.c_str());
}

void system_profiler_handler_t::refresh_flat(const frame_t &f) {
    char text[512];
    const double frame_ms = ms(f.time);
    profiler_flat_t &flat = profiler_flat_t::get();
    flat.fold(m_root, f.slot);
    const uint32_t first = clamp_offset(flat.count());
    for (uint32_t i = first; i < flat.count() && i < first + ROWS; ++i) {
        const profiler_flat_record_t &r = flat.at(i);
        const double self = ms(r.self_time), total = ms(r.total_time);
        snprintf(text, sizeof text, "%d|%c%s|%.1f|%.1f|%.1f|%.1f|%u|%.1f", int(i), r.leaf ? ' ' : '+', r.name, self,
                 pct(self, frame_ms), total, pct(total, frame_ms), r.calls, pct(r.calls, f.calls));
        add_row(text);
    }
    const double root_self = m_root ? ms(self_time(m_root, f.slot)) : 0.0;
    snprintf(text, sizeof text, "TOTAL|%.1f|%.1f|%.1f|%.1f", root_self, pct(root_self, frame_ms), frame_ms,
             pct(frame_ms, frame_ms));
    m_items.set_text(FLAT_TOTAL, text);
}

void system_profiler_handler_t::refresh_zones(const frame_t &f) {
    char text[512];
    const double frame_ms = ms(f.time);
    mstring_dyn_t path("/");
    const char *mode_text = "(ZONES)";
    if (!m_zone) {
        uint32_t count = 0;
        for (const profiler_zone_t *z = m_zones; z; z = z->next) ++count;
        const uint32_t first = clamp_offset(count);
        const profiler_zone_t *z = m_zones;
        for (uint32_t i = 0; z && i < first; ++i) z = z->next;
        for (uint32_t row = 0; z && row < ROWS; ++row, z = z->next) {
            const double self = ms(z->self_time(f.slot));
            const uint32_t calls = z->subtree_calls(f.slot);
            snprintf(text, sizeof text, "%x|%c%s|-|%.1f|%.1f|-|-|%u|%.1f", row, z->first ? '+' : ' ',
                     z->name ? z->name : "", self, pct(self, frame_ms), calls, pct(calls, f.calls));
            add_row(text);
        }
    } else if (!m_caller) {
        mode_text = "(CALLERS)";
        path.printf("/%s", m_zone->name ? m_zone->name : "");
        uint32_t count = 0;
        for (const profiler_node_t *n = m_zone->first; n; n = n->next_name) ++count;
        const uint32_t first = clamp_offset(count);
        const profiler_node_t *n = m_zone->first;
        for (uint32_t i = 0; n && i < first; ++i) n = n->next_name;
        for (uint32_t row = 0; n && row < ROWS; ++row, n = n->next_name) {
            const uint32_t calls = n->chain_calls(f.slot);
            snprintf(text, sizeof text, "%x| %s|%.1f|-|-|-|-|%u|%.1f", row, name_of(n), ms(n->chain_self_time(f.slot)),
                     calls, pct(calls, f.calls));
            add_row(text);
        }
    } else {
        mode_text = "(CHAINS)";
        path.printf("/%s/%s", m_zone->name ? m_zone->name : "", name_of(m_caller));
        uint32_t count = 0;
        for (const profiler_node_t *n = m_caller; n; n = n->next_in_chain) ++count;
        const uint32_t first = clamp_offset(count);
        const profiler_node_t *n = m_caller;
        for (uint32_t i = 0; n && i < first; ++i) n = n->next_in_chain;
        // Each place the section runs, named by the section that calls it there.
        for (uint32_t row = 0; n && row < ROWS; ++row, n = n->next_in_chain) {
            const double self = ms(self_time(n, f.slot)), total = ms(n->total_time[f.slot]);
            const uint32_t calls = n->calls[f.slot];
            snprintf(text, sizeof text, "%x|+%s|-|%.1f|%.1f|%.1f|%.1f|%u|%.1f", row, name_of(n->parent), self,
                     pct(self, frame_ms), total, pct(total, frame_ms), calls, pct(calls, f.calls));
            add_row(text);
        }
    }
    const double root_self = m_root ? ms(self_time(m_root, f.slot)) : 0.0;
    snprintf(text, sizeof text, "TOTAL|%.1f|%.1f|%.1f|%.1f", root_self, pct(root_self, frame_ms), frame_ms,
             pct(frame_ms, frame_ms));
    m_items.set_text(ZONE_TOTAL, text);
    m_items.set_text(ZONE_PATH, path.c_str());
    m_items.set_text(ZONE_MODE, mode_text);
}

void system_profiler_handler_t::publish(int32_t list_id) {
    if (!get_window()) return;
    ui_list_t *list = m_items.get<ui_list_t>(list_id);
    if (!list) return;
    list->clear_items();
    ui_list_item_t item;
    for (uint32_t i = 0; i < m_rows.get_count(); ++i) {
        item.zml = m_rows[i].c_str();
        list->insert_item(item, ui_list_item_t::ZML, i);
    }
}

namespace {

constexpr entity_reg_t PROFILER_REG = game_ui_reg<system_profiler_handler_t>("ui.handler.system.profiler");

int cmd_profiler(const cmd_context_t *) {
    c_item_t *window = system_window_get_or_insert(WINDOW_SYSTEM_PROFILER);
    if (!window) return cmd_t::FAILED;
    if (ui_wis_shown(window)) ui_whide(window);
    else ui_wshow(window);
    return cmd_t::DONE;
}

cmd_t profiler_command("profiler", &cmd_profiler);

}  // namespace

void register_profiler_command() {
    if (cmd_get(profiler_command.name) != &profiler_command) cmd_register_command(&profiler_command);
}

void unregister_profiler_command() {
    if (cmd_get(profiler_command.name) == &profiler_command) cmd_unregister_command(&profiler_command);
}

}  // namespace quarn

GAME_MODULE_ROWS(ui_system_profiler, quarn::ui_handler_row<quarn::PROFILER_REG>());
