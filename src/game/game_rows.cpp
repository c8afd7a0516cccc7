#include "game/game_rows.h"

#include <algorithm>
#include <cstring>

#include "game/game_unit_order.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

namespace {

// Constant-initialised, so lists may link themselves from any source's start-up code.
constinit game_row_list_t *linked_lists = nullptr;

bool register_class_row(const game_row_t &row, const game_row_args_t &args) {
    if (!args.bank || !args.bank->register_class(row.unit_class)) return false;
    if (args.registered) args.registered->append(row.unit_class);
    return true;
}

}  // namespace

bool game_rows_link(game_row_list_t *list) {
    list->next = linked_lists;
    linked_lists = list;
    return true;
}

game_row_list_t *game_rows_linked() { return linked_lists; }

const char *game_row_table_t::row_name(const game_row_t &row) {
    if (row.unit_class) return row.unit_class->class_name->c_str();
    return row.name ? row.name : "";
}

bool game_row_table_t::build(const game_row_list_t *first) {
    m_rows.clear();
    for (const game_row_list_t *list = first; list; list = list->next) {
        for (uint32_t i = 0; i < list->count; ++i) {
            const game_row_t &row = list->rows[i];
            int32_t order = row.order;
            if (row.step == game_step_t::REGISTER_UNIT_CLASSES) {
                const char *type = row.unit_class ? row.unit_class->class_name->c_str() : "";
                order = game_unit_order_index(type);
                if (order < 0) {
                    if (game_unit_is_abstract_base(type))
                        error("[game] The abstract unit type '%s' (rows '%s') is never registered", type, list->name);
                    else
                        error("[game] The unit type '%s' (rows '%s') has no place in the registration order", type,
                              list->name);
                    continue;
                }
            }
            if (!m_rows.append(entry_t{&row, list, i, order})) {
                error("[game] Out of memory for the registration table");
                m_rows.clear();
                return false;
            }
        }
    }
    std::sort(m_rows.get_data(), m_rows.get_data() + m_rows.get_count(), [](const entry_t &a, const entry_t &b) {
        if (a.row->step != b.row->step) return a.row->step < b.row->step;
        if (a.order != b.order) return a.order < b.order;
        if (const int c = strcmp(a.list->name, b.list->name)) return c < 0;
        return a.index < b.index;
    });
    return true;
}

const game_row_table_t &game_row_table_t::linked() {
    static game_row_table_t table;
    static bool built = false;
    if (!built) built = table.build(linked_lists);
    return table;
}

void game_row_table_t::run(game_phase_t phase, const game_row_args_t &args, bool skip_ui_recache) const {
    for (uint32_t i = 0; i < m_rows.get_count(); ++i) {
        const game_row_t &row = *m_rows[i].row;
        if (game_step_phase(row.step) != phase) continue;
        if (skip_ui_recache && row.step == game_step_t::PASS_UI_RECACHE) continue;
        run_row(row, args);
    }
}

void game_row_table_t::run_step(game_step_t step, const game_row_args_t &args) const {
    for (uint32_t i = 0; i < m_rows.get_count(); ++i)
        if (m_rows[i].row->step == step) run_row(*m_rows[i].row, args);
}

void game_row_table_t::run_row(const game_row_t &row, const game_row_args_t &args) const {
    bool ok = true;
    if (row.step == game_step_t::REGISTER_UNIT_CLASSES) ok = register_class_row(row, args);
    else if (row.run) ok = row.run(args);
    if (!ok) error("[game] step '%s' failed", row_name(row));
}

game_factory_fn_t game_row_table_t::find_factory(const char *name) const {
    if (!name) return nullptr;
    for (uint32_t i = 0; i < m_rows.get_count(); ++i) {
        const game_row_t &row = *m_rows[i].row;
        if (row.step == game_step_t::FACTORY && row.name && strcmp(row.name, name) == 0) return row.factory;
    }
    return nullptr;
}

}  // namespace quarn
