#include "game/ui/controls/frame_control.h"

#include <cerrno>
#include <cstdlib>

#include "game/ui/controls/control_kit.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/def_obj.h"

namespace quarn {

namespace {

template <int I>
uint8_t *flags_of(entity_t *e) {
    return &static_cast<ui_frame_t *>(e)->value_flags[I];
}

// An unsigned number of 32 bits with any C prefix ("0x" hexadecimal, "0" octal).
bool read_colour(const char *text, uint32_t &out) {
    if (!text) return false;
    while (*text == ' ' || *text == '\t') ++text;
    if (*text == '-' || *text == '+' || !*text) return false;
    char *end = nullptr;
    errno = 0;
    const unsigned long long v = strtoull(text, &end, 0);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (errno || end == text || (end && *end) || v > 0xFFFFFFFFull) return false;
    out = uint32_t(v);
    return true;
}

}  // namespace

uint32_t ui_argb_to_markup(uint32_t argb) {
    return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

bool ui_frame_t::set_color(entity_t *entity, const evalue_def_t &, const char *text) {
    return read_colour(text, static_cast<ui_frame_t *>(entity)->color);
}

const evalue_def_t ui_frame_t::value_defs[] = {
    {"text", EVT_TEXT, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::text>, &flags_of<0>, nullptr},
    {"tile", EVT_BOOL, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::tile>, &flags_of<1>, nullptr},
    {"hline", EVT_TEXT, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::hline>, &flags_of<2>, nullptr},
    {"vline", EVT_TEXT, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::vline>, &flags_of<3>, nullptr},
    {"inside_tile", EVT_BOOL, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::inside_tile>, &flags_of<4>, nullptr},
    {"inside_inset", EVT_BOOL, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::inside_inset>, &flags_of<5>, nullptr},
    {"inside", EVT_TEXT, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::inside>, &flags_of<6>, nullptr},
    {"corner", EVT_TEXT, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::corner>, &flags_of<7>, nullptr},
    {"color", EVT_UINT, nullptr, &evd_locate<ui_frame_t, &ui_frame_t::color>, &flags_of<8>, &ui_frame_t::set_color},
};
const evalue_table_t ui_frame_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_view_t::values};

int ui_frame_t::init(int stage) {
    if (const int r = ui_view_t::init(stage)) return r;
    if (stage == 0) m_content_changed = true;
    return 0;
}

void ui_frame_t::load_sizes() {
    const struct {
        const mstring_dyn_t &path;
        material_size_t &size;
        float x, y;  // the share of the material one part shows
    } materials[] = {
        {corner, m_corner, 0.5f, 0.5f},
        {hline, m_hline, 1.0f, 0.5f},
        {vline, m_vline, 0.5f, 1.0f},
        {inside, m_inside, 1.0f, 1.0f},
    };
    for (const auto &m : materials) {
        float w = 0.0f, h = 0.0f;
        if (!m.path.is_empty()) zml_material_size(m.path.c_str(), &w, &h);
        // A material without a size draws nothing: it counts as not loaded.
        m.size.loaded = w > 0.0f && h > 0.0f;
        m.size.width = m.size.loaded ? w * m.x : 0.0f;
        m.size.height = m.size.loaded ? h * m.y : 0.0f;
    }
}

void ui_frame_t::build() {
    m_buffer.reset();
    m_parts = 0;
    const float W = rect.width(), H = rect.height();
    const uint32_t c = ui_argb_to_markup(color);
    const float cw = m_corner.width, ch = m_corner.height;
    const float vw = m_vline.width, hh = m_hline.height;
    // Each part is its own markup, grown to whatever its paths need.
    mstring_dyn_t part;
    zml_buffer_t piece;
    auto add = [&](part_t which) {
        zml_render_to(piece, part.c_str(), rect);
        m_buffer.append(piece);
        m_parts |= which;
    };
    if (m_corner.loaded) {
        const char *m = corner.c_str();
        const int w = int(cw), h = int(ch);
        part.printf("<COLOR VALUE=%08X><IMG SRC=%s LEFT=0.5 TOP=0.5 WIDTH=%d HEIGHT=%d><RET>"
                    "<OFFSET VSHIFT=%.1f><IMG SRC=%s LEFT=0.5 BOTTOM=0.5 WIDTH=%d HEIGHT=%d><RET>"
                    "<OFFSET HSHIFT=%.1f><IMG SRC=%s TOP=0.5 RIGHT=0.5 WIDTH=%d HEIGHT=%d><RET>"
                    "<OFFSET VSHIFT=%.1f HSHIFT=%.1f><IMG SRC=%s RIGHT=0.5 BOTTOM=0.5 WIDTH=%d HEIGHT=%d>",
                    c, m, w, h, double(H - ch), m, w, h, double(W - cw), m, w, h, double(H - ch), double(W - cw), m, w, h);
        add(PART_CORNERS);
    }
    if (m_inside.loaded) {
        const float ix = inside_inset ? (cw < vw ? cw : vw) : 0.0f;
        const float iy = inside_inset ? (ch < hh ? ch : hh) : 0.0f;
        if (W > 2.0f * ix && H > 2.0f * iy) {
            part.printf("<COLOR VALUE=%08X><OFFSET HSHIFT=%d VSHIFT=%d><IMG SRC=%s %s WIDTH=%.1f HEIGHT=%.1f>", c, int(ix),
                        int(iy), inside.c_str(), inside_tile ? "XSCALE=REPEAT YSCALE=REPEAT" : "XSCALE=STRETCH YSCALE=STRETCH",
                        double(W - 2.0f * ix), double(H - 2.0f * iy));
            add(PART_INSIDE);
        }
    }
    const char *scale = tile ? "REPEAT" : "STRETCH";
    if (m_hline.loaded && W > 2.0f * cw) {
        const char *m = hline.c_str();
        part.printf("<COLOR VALUE=%08X><OFFSET HSHIFT=%.1f><IMG SRC=%s XSCALE=%s TOP=0.5 WIDTH=%.1f HEIGHT=%d><RET>"
                    "<OFFSET HSHIFT=%.1f VSHIFT=%.1f><IMG SRC=%s XSCALE=%s BOTTOM=0.5 WIDTH=%.1f HEIGHT=%d>",
                    c, double(cw), m, scale, double(W - 2.0f * cw), int(hh), double(cw), double(H - hh), m, scale,
                    double(W - 2.0f * cw), int(hh));
        add(PART_HORIZONTAL);
    }
    if (m_vline.loaded && H > 2.0f * ch) {
        const char *m = vline.c_str();
        part.printf("<COLOR VALUE=%08X><OFFSET VSHIFT=%.1f><IMG SRC=%s YSCALE=%s LEFT=0.5 WIDTH=%d HEIGHT=%.1f><RET>"
                    "<OFFSET HSHIFT=%.1f VSHIFT=%.1f><IMG SRC=%s YSCALE=%s RIGHT=0.5 WIDTH=%d HEIGHT=%.1f>",
                    c, double(ch), m, scale, int(vw), double(H - 2.0f * ch), double(W - vw), double(ch), m, scale,
                    int(vw), double(H - 2.0f * ch));
        add(PART_VERTICAL);
    }
    if (!text.is_empty()) {
        part.copy(text);
        add(PART_TEXT);
    }
    m_rebuild = false;
    ++m_builds;
    mark_dirty();
}

void ui_frame_t::handler() {
    ui_view_t::handler();
    for (uint8_t &f : value_flags) {
        if (f & EVF_WRITTEN) m_content_changed = true;
        f = 0;
    }
    if (m_content_changed) {
        m_content_changed = false;
        load_sizes();
        m_rebuild = true;
    }
    if (is_visible() && m_rebuild) build();
}

void ui_frame_t::zml_precache(ui_draw_list_t &list) {
    if (!m_rebuild) list.add(m_buffer);
}

void ui_frame_t::offset(float dx, float dy, uint32_t flags) {
    if (m_rebuild || m_builds == 0 || !(flags & UI_OFFSET_RECT)) return ui_view_t::offset(dx, dy, flags);
    if (dx == 0.0f && dy == 0.0f) return;
    rect.move(dx, dy);
    if (has_area && (flags & UI_OFFSET_AREA)) area.move(dx, dy);
    m_buffer.offset(dx, dy);
    ui_view_t::changed(UI_CHANGED_SIZE);
}

void ui_frame_t::notify(int32_t flags) {
    if (flags < 0) m_rebuild = true;
    ui_view_t::notify(flags);
}

void ui_frame_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_SIZE) m_rebuild = true;
    if (flags & UI_CHANGED_CONTENT) m_content_changed = true;
    ui_view_t::changed(flags);
}

// ---- ui_common_frame_t ----

const evalue_def_t ui_common_frame_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_frame_t, &ui_common_frame_t::look>,
     &evd_flags<ui_common_frame_t, &ui_common_frame_t::tlook_flags>, nullptr},
    {"value", EVT_TEXT, nullptr, &evd_locate<ui_common_frame_t, &ui_common_frame_t::value>,
     &evd_flags<ui_common_frame_t, &ui_common_frame_t::tvalue_flags>, nullptr},
};
const evalue_table_t ui_common_frame_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                  &ui_frame_t::values};

int ui_common_frame_t::init(int stage) {
    if (const int r = ui_frame_t::init(stage)) return r;
    if (stage == 0) {
        m_templates.acquire();
        apply_template();
    }
    return 0;
}

void ui_common_frame_t::destroy(int stage) {
    if (stage == 0) m_templates.release();
    ui_frame_t::destroy(stage);
}

void ui_common_frame_t::refresh() {
    if ((tlook_flags | tvalue_flags) & EVF_WRITTEN) apply_template();
}

void ui_common_frame_t::handler() {
    refresh();
    ui_frame_t::handler();
}

void ui_common_frame_t::apply_template() {
    tlook_flags = tvalue_flags = 0;
    const ui_def_templates_t &store = m_templates.templates();
    if (const def_obj_t *t = store.find(look)) {
        if (ui_template_size_flags(*this, *t)) changed(UI_CHANGED_SIZE);
        if (const char *c = t->get_value("color")) {
            if (read_colour(c, color)) changed(UI_CHANGED_CONTENT);
            else warning("template %d: the colour '%s' is no number", look, c);
        }
    }
    const struct {
        const char *key;
        const char *fallback;
        const char *parameter;
    } entries[] = {
        {"corner", UI_DEFAULT_MATERIAL, nullptr}, {"hline", UI_DEFAULT_MATERIAL, nullptr},
        {"vline", UI_DEFAULT_MATERIAL, nullptr},  {"inside", "", nullptr},
        {"tile", "false", nullptr},               {"inside_tile", "false", nullptr},
        {"inside_inset", "true", nullptr},        {"text", "", value.c_str()},
    };
    mstring_dyn_t markup;
    for (const auto &e : entries)
        if (!store.expand(look, e.key, e.parameter, markup) || !try_set_value(e.key, markup.c_str()))
            try_set_value(e.key, e.fallback);
}

void ui_common_frame_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_SIZE)
        if (const def_obj_t *t = m_templates.templates().find(look)) ui_template_resize(*this, *t);
    ui_frame_t::changed(flags);
}

namespace {

constexpr entity_reg_t COMMON_FRAME_REG = game_ui_reg<ui_common_frame_t>("ui.comp.common.frame");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_frames, quarn::ui_component_row<quarn::COMMON_FRAME_REG>());
