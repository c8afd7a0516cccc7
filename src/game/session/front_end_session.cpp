#include "game/session/front_end_session.h"

#include <strings.h>

#include "game/atomic_file.h"
#include "game/session/session_ui.h"
#include "game/unit_tree_file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constinit front_end_session_t *the_session = nullptr;

}  // namespace

front_end_session_t *get_front_end_session() { return the_session; }

front_end_session_t::front_end_session_t() : front_end_session_t(&ui_layer_session_ui()) {}

front_end_session_t::front_end_session_t(session_ui_t *ui) : m_ui(ui) {
    the_session = this;
    set_game_data(&m_game_data);
    if (!fs_stat(string(SCORES_HOME_PATH), nullptr, FS_REALM_VIRTUAL))
        copy_file_atomically(SCORES_HOME_PATH, SCORES_DEFAULT_PATH);
    load_high_scores();
}

front_end_session_t::~front_end_session_t() {
    close_all_windows();
    m_table.reset();
    if (quarn::get_game_data() == &m_game_data) set_game_data(nullptr);
    if (the_session == this) the_session = nullptr;
}

void front_end_session_t::load_high_scores() { m_table = load_unit_tree<score_table_u>(SCORES_HOME_PATH); }

score_table_u *front_end_session_t::get_high_scores() const {
    return m_table && m_table->is_alive() ? m_table.get() : nullptr;
}

bool front_end_session_t::save_high_scores() {
    score_table_u *table = get_high_scores();
    if (!table) {
        error("[game] There is no high-score table to save.");
        return false;
    }
    return save_unit_tree(table, SCORES_HOME_PATH, UNIT_TRAVERSE_OWNED_SYSTEM);
}

bool front_end_session_t::reset_high_scores() {
    if (!copy_file_atomically(SCORES_HOME_PATH, SCORES_DEFAULT_PATH)) return false;
    // The old table goes first: the loaded one is made while it is released.
    m_table.reset();
    load_high_scores();
    return get_high_scores() != nullptr;
}

c_item_t *front_end_session_t::find_window(const window_desc_t &row) const {
    for (uint32_t i = 0; i < m_windows.get_count(); ++i) {
        const open_window_t &w = m_windows[i];
        if (strcasecmp(w.group.c_str(), row.group) == 0 && strcasecmp(w.name.c_str(), row.name) == 0)
            return w.item.get();
    }
    return nullptr;
}

c_item_t *front_end_session_t::open_window(const window_desc_t &row) {
    if (c_item_t *open = find_window(row)) return open;
    if (!m_ui) {
        error("[game] The window %s/%s cannot open: the session has no window table.", row.group, row.name);
        return nullptr;
    }
    c_item_t *item = m_ui->insert_window(row.group, row.name, row.insert_flags, row.layout);
    if (!item) return nullptr;
    open_window_t entry;
    entry.item = item;
    entry.group = row.group;
    entry.name = row.name;
    if (entry.group != row.group || entry.name != row.name || !m_windows.append(std::move(entry))) {
        // Without its entry the session could never close the window: take it out now.
        error("[game] No memory to keep the window %s/%s open.", row.group, row.name);
        m_ui->remove_window(item);
        return nullptr;
    }
    return item;
}

c_item_t *front_end_session_t::show_window(const window_desc_t &row) {
    c_item_t *item = open_window(row);
    if (item) m_ui->show_window(item, row.show_flags);
    return item;
}

void front_end_session_t::hide_window(c_item_t *window) {
    if (window && m_ui) m_ui->hide_window(window);
}

void front_end_session_t::close_all_windows() {
    // Each window leaves the list before the table lets it go, and the session's
    // reference outlives the removal, so the item is never reached after its last
    // reference; a window that a handler opens meanwhile is closed in turn.
    while (!m_windows.is_empty()) {
        c_item_ptr_t item = m_windows[0].item;
        m_windows.remove(0u);
        if (m_ui) m_ui->remove_window(item.get());
    }
}

bool front_end_session_t::save_unit_tree(unit_base_t *unit, const char *path, unit_traversal_mode_t mode) {
    return quarn::save_unit_tree(unit, path, mode);
}

bool front_end_session_t::make_map_dir(mstring_t &out, const char *map_name) {
    return out.printf("/map/%s/", map_name ? map_name : "");
}

}  // namespace quarn
