#include "game/ui/system/bugreporthdl.h"

#include <cmath>
#include <cstring>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/numerics/crt_rand.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn {

namespace {

const char HEADER[] = "requires maya \"6.0\";\ncurrentUnit -l meter -a degree -t film;\n";

// Letters and digits of the C locale, whatever the byte's sign.
bool is_c_alnum(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool system_bugreport_handler_t::in_menu_game() {
    const game_data_t *data = get_game_data();
    return data && data->mode == game_data_t::MODE_PLAY;
}

void system_bugreport_handler_t::close() {
    if (c_item_t *window = get_window_item()) ui_whide(window);
}

void system_bugreport_handler_t::on_wshow() {
    base_handler_t::on_wshow();
    if (in_menu_game()) {
        close();
        return;
    }
    m_holding = true;
    m_saved_paused = screens_is_paused();
    screens_set_paused(true);
    m_saved_pointer = ui_pindex();
    ui_pshow(0);
    m_position = vec3_t{0.0f, 0.0f, 0.0f};
    if (base_ctrl_u *ctrl = get_current_ctrl())
        if (scene_view_t *view = ctrl->get_view()) m_position = view->get_placement().position;
    mstring_dyn_t desc;
    desc.printf("Problem at position < %.1f %.1f %.1f >", double(m_position[0]), double(m_position[1]),
                double(m_position[2]));
    set_item_value(DESC_ITEM, "value", desc.c_str());
    if (auto *note = ui_get<ui_input_line_t>(NOTE_ITEM)) {
        note->clear();
        if (ui_window_t *window = get_window()) window->set_focus(note);
    }
}

void system_bugreport_handler_t::on_whide() {
    base_handler_t::on_whide();
    // Only what this showing took is given back (nothing when it closed at once).
    if (!m_holding) return;
    m_holding = false;
    ui_pshow(m_saved_pointer);
    screens_set_paused(m_saved_paused);
}

bool system_bugreport_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool answer = base_handler_t::handle(view, type, param);
    ui_window_t *window = get_window();
    if (!window || !view) return answer;
    if (type == UI_ACT_KEY_UP && param && param->key_code() == UI_KEY_ESCAPE &&
        (view == window || view->get_window() == window)) {
        // Escape is Cancel; without the button the window still closes.
        if (auto *cancel = ui_get<ui_button_t>(CANCEL_ITEM)) cancel->click();
        else close();
        return true;
    }
    if (view->id == 0) return answer;
    if (type != UI_ACT_ACTIVATE) return false;
    if (view->id == NOTE_ITEM || view->id == OK_ITEM) {
        write_report();
        close();
        return true;
    }
    if (view->id == CANCEL_ITEM) {
        close();
        return true;
    }
    return false;
}

void system_bugreport_handler_t::make_tag(const vec3_t &p, int random, mstring_t &out) {
    out.printf("%.0f%.0f%.0f%.0d", std::fabs(double(p[0])), std::fabs(double(p[1])), std::fabs(double(p[2])),
               100 * random);
}

void system_bugreport_handler_t::make_note(const char *text, mstring_t &out) {
    out.copy("");
    for (const char *p = text ? text : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        out.append(is_c_alnum(c) || c == '_' || c == '\'' ? char(c) : ' ');
    }
}

void system_bugreport_handler_t::make_block(const vec3_t &p, const char *tag, const char *note, mstring_t &out) {
    out.printf("createNode transform -n \"BUG%s\";\n\tsetAttr \".t\" -type \"double3 \" %.2f %.2f %.2f;\n"
               "createNode locator -n \"locator%s\" -p \"BUG%s\";\n"
               "\taddAttr -ci true -sn \"nts\" -ln \"notes\" -dt \"string\";\n\tsetAttr -k off \".v\";\n"
               "\tsetAttr \".nts\" -type \"string\" \"%s\";\n"
               "createNode annotationShape -n \"annotationShape%s\" -p \"BUG%s\";\n\tsetAttr \".daro\" 0;\n"
               "\tsetAttr \".txt\" -type \"string\" \"BUG\";\n",
               tag, double(p[0]), double(p[1]), double(p[2]), tag, tag, note, tag, tag);
}

bool system_bugreport_handler_t::write_report() {
    const game_data_t *data = get_game_data();
    mstring_dyn_t path;
    path.printf(PATH_FORMAT, data ? data->map_name.c_str() : "");
    if (!fs_stat(path, nullptr, FS_REALM_VIRTUAL)) {
        auto_ptr_t<file_t> created(fs_create(path, FS_REALM_VIRTUAL));
        if (created && !created->write(HEADER, uint32_t(sizeof HEADER - 1)))
            error("BUGREPORT: cannot write '%s' file", path.c_str());
    }
    auto_ptr_t<file_t> file(fs_append(path, FS_REALM_VIRTUAL));
    if (!file) {
        error("BUGREPORT: cannot open '%s' file", path.c_str());
        return false;
    }
    mstring_dyn_t tag, note, block;
    make_tag(m_position, crt_rand(), tag);
    auto *line = ui_get<ui_input_line_t>(NOTE_ITEM);
    make_note(line ? line->get_text() : "", note);
    make_block(m_position, tag.c_str(), note.c_str(), block);
    if (!file->write(block.c_str(), block.length())) {
        error("BUGREPORT: cannot write '%s' file", path.c_str());
        return false;
    }
    return true;
}

namespace {

constexpr entity_reg_t BUGREPORT_REG = game_ui_reg<system_bugreport_handler_t>("ui.handler.system.bugreport");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_system_bugreport, quarn::ui_handler_row<quarn::BUGREPORT_REG>());
