#include "game/ui/menus/splashhdl.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "game/game_data.h"
#include "game/session/score.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/ui_classes.h"
#include "kernel/console/cvars.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/def_resource.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include <cstring>

namespace quarn {

namespace {

// a mod n in 0 .. n-1, for any a (n > 0).
int64_t remainder_of(int64_t a, int64_t n) {
    const int64_t r = a % n;
    return r < 0 ? r + n : r;
}

bool ends_with_mat(const char *name) {
    const size_t n = strlen(name);
    return n >= 4 && strcmp(name + n - 4, ".mat") == 0;
}

}  // namespace

void pick_splash_image(mstring_dyn_t &out) {
    out = "";
    std::vector<std::string> pictures;
    if (auto list = fs_read_dir(string(SPLASH_IMAGE_FOLDER), true, FS_REALM_VIRTUAL)) {
        for (const fs_direntry_t &entry : *list)
            if (entry.type == FS_TYPE_FILE && ends_with_mat(entry.name.c_str())) pictures.emplace_back(entry.name.c_str());
    }
    if (pictures.empty()) return;
    // Name order: the same pictures come in the same turn whatever the folder's order.
    std::sort(pictures.begin(), pictures.end());
    cvar_t *index = cvar_get(SPLASH_INDEX_CVAR);
    const int64_t at = index ? index->get_int() : 0;
    out = pictures[size_t(remainder_of(at, int64_t(pictures.size())))].c_str();
    if (index) {
        char next[16];
        snprintf(next, sizeof next, "%d", int32_t(at + 1));
        index->set(next);
    }
}

void menu_splash_handler_t::choose_tip(mstring_dyn_t &out) {
    out = " ";
    const game_data_t *data = get_game_data();
    if (data && data->is_party_mode()) return;
    c_item_lock_t file(mm_obtain_resource(MM_NAMED, SPLASH_TIPS_PATH, &def_resource_u::unit_descriptor));
    const def_pool_t *pool = def_resource_u::pool_of(file.get_data());
    const def_obj_t *tips = pool ? pool->find("tips") : nullptr;
    if (!tips) return;
    int32_t count = 0;
    if (!tips->get_int("count", count) || count <= 0) return;
    const cvar_t *index = cvar_get(SPLASH_INDEX_CVAR);
    const int number = int(remainder_of(index ? index->get_int() : 0, count));
    const char *tip = tips->get_dvalue("tip", nullptr, number);
    if (!tip || !*tip) return;
    out.printf("@@%s@@", tip);
}

void menu_splash_handler_t::start_loading(bool show_tip) {
    m_show_tip = show_tip;
    m_loading_done = false;
    mstring_dyn_t picture;
    pick_splash_image(picture);
    mstring_dyn_t markup;
    if (!picture.is_empty()) markup.printf("<img src=%s xscale=stretch yscale=stretch>", picture.c_str());
    set_item_text(ITEM_IMAGE, markup.c_str());
    // The tip follows the picture: the index has moved on already.
    mstring_dyn_t tip(" ");
    if (show_tip) choose_tip(tip);
    set_item_text(ITEM_TIP, tip.c_str());
    show_item(ITEM_LOADING, true);
    show_item(ITEM_SINGLE_CONTINUE, false);
    show_item(ITEM_PARTY_CONTINUE, false);
    show_item(ITEM_PARTY_NAME, false);
}

void menu_splash_handler_t::finish_loading() {
    m_loading_done = true;
    if (!m_show_tip) {
        screens_close_splash();
        return;
    }
    if (ui_view_t *loading = ui_view(ITEM_LOADING)) {
        loading->show(false);
        const auto *text = dynamic_cast<const ui_text_t *>(loading);
        run_uifx(loading->rect, text ? text->text.c_str() : "", LOADING_FADE_EFFECT, loading->layer, -1);
    }
    const game_data_t *data = get_game_data();
    if (data && data->is_party_mode()) {
        show_item(ITEM_PARTY_CONTINUE, true);
        const score_u *score = data->get_running_score();
        set_item_text(ITEM_PARTY_NAME, score ? score->player_name.c_str() : "");
        show_item(ITEM_PARTY_NAME, true);
    } else {
        show_item(ITEM_SINGLE_CONTINUE, true);
    }
}

bool menu_splash_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (m_loading_done && (type == UI_ACT_KEY_UP || type == UI_ACT_BUTTON_UP) && get_window()) {
        screens_close_splash();
        return true;
    }
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t MENU_SPLASH_REG = game_ui_reg<menu_splash_handler_t>("ui.handler.menu.splash");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_splash_screens, quarn::ui_handler_row<quarn::MENU_SPLASH_REG>());
