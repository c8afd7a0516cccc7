#pragma once
// The game's two UI class tables: the 15 windows and components and the 27 handlers
// and effect views, each name with its place in the registration order. Components
// register by their order number (so "ui.comp.portal" comes before "ui.comp.button"
// and "ui.comp.group"), handlers in table order.
#include <cstdint>

namespace quarn {

struct ui_class_place_t {
    const char *name;
    int32_t order;
};

inline constexpr ui_class_place_t UI_COMPONENT_TABLE[] = {
    {"ui.window", 1},
    {"ui.comp.historyline", 2},
    {"ui.comp.logview", 3},
    {"ui.comp.text", 4},
    {"ui.comp.button", 6},
    {"ui.comp.group", 7},
    {"ui.comp.portal", 5},
    {"ui.comp.common.button", 8},
    {"ui.comp.common.text", 9},
    {"ui.comp.common.slider", 10},
    {"ui.comp.common.frame", 11},
    {"ui.comp.common.list", 12},
    {"ui.comp.common.dropdown", 13},
    {"ui.comp.common.inputline", 14},
    {"ui.comp.tooltip", 15},
};

inline constexpr ui_class_place_t UI_HANDLER_TABLE[] = {
    {"ui.handler.system.console", 1},     {"ui.handler.system.profiler", 2},
    {"ui.handler.system.bugreport", 3},   {"ui.handler.ingame.hud", 4},
    {"ui.handler.ingame.finished", 5},    {"ui.handler.ingame.roster", 6},
    {"ui.handler.ingame.round", 7},       {"ui.handler.ingame.bonus", 8},
    {"ui.handler.ingame.start", 9},       {"ui.handler.ingame.animal", 10},
    {"ui.handler.ingame.confirm", 11},    {"ui.handler.ingame.hub", 12},
    {"ui.handler.ingame.matchround", 13}, {"ui.handler.menu.main", 14},
    {"ui.handler.menu.start", 15},        {"ui.handler.menu.options", 16},
    {"ui.handler.menu.credits", 17},      {"ui.handler.menu.help", 18},
    {"ui.handler.menu.splash", 19},       {"ui.handler.menu.quit", 20},
    {"ui.handler.menu.highscore", 21},    {"ui.handler.menu.play", 22},
    {"ui.handler.screensaver", 23},       {"ui.handler.menu.performance", 24},
    {"ui.handler.menu.party", 25},        {"ui.comp.uifx.text", 26},
    {"ui.comp.uifx.common.text", 27},
};

constexpr bool ui_same_name(const char *a, const char *b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

template <uint32_t N>
constexpr int32_t ui_class_order_in(const ui_class_place_t (&table)[N], const char *name) {
    for (const ui_class_place_t &p : table)
        if (ui_same_name(p.name, name)) return p.order;
    return -1;
}

// The order number of a class, -1 for a name not in the table.
constexpr int32_t ui_component_order(const char *name) { return ui_class_order_in(UI_COMPONENT_TABLE, name); }
constexpr int32_t ui_handler_order(const char *name) { return ui_class_order_in(UI_HANDLER_TABLE, name); }

}  // namespace quarn
