// The markup reader and its layout (docs/formats/zml.md). One pass over the text:
// characters go into glyph runs on the current line, images beside them; a line is
// placed when it ends (its height is its tallest item, its items stand on its
// bottom); alignment and clipping are applied when the whole text is laid out. Every
// input is shown: what does not read as markup is text. Work is linear in the text.
#include <strings.h>

#include <cmath>
#include <cstring>

#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/qrnshared/ui/zml_font_unit.h"
#include "qrncore/strings/number_text.h"

namespace quarn {

namespace {

ui_rect_t bounds = ui_reference_rect();
bool localized = false;
zml_buffer_t result;

// Items may stick out of the bounds by this much before they count as clipped, so
// that sums of decimal fractions ("0.1" steps) do not clip.
constexpr float CLIP_TOLERANCE = 1.0f / 1024.0f;
constexpr int STACK_DEPTH = 32;
constexpr int MAX_ATTRS = 12;

enum halign_t : uint8_t { H_LEFT, H_CENTER, H_RIGHT };
enum valign_t : uint8_t { V_TOP, V_CENTER, V_BOTTOM };

enum tag_t { TAG_IMG, TAG_COLOR, TAG_ALIGN, TAG_FONT, TAG_RET, TAG_OFFSET, TAG_VERBATIM, TAG_NONE };
const char *const TAG_NAMES[] = {"img", "color", "align", "font", "ret", "offset", "verbatim"};

struct attr_t {
    const char *name;
    uint32_t name_length;
    const char *value;
    uint32_t value_length;
};

struct parsed_tag_t {
    tag_t tag = TAG_NONE;
    bool closing = false;
    attr_t attrs[MAX_ATTRS];
    int count = 0;
    const char *end = nullptr;  // past the '>'

    const attr_t *find(const char *name) const {
        for (int i = 0; i < count; ++i)
            if (attrs[i].name_length == strlen(name) && strncasecmp(attrs[i].name, name, attrs[i].name_length) == 0)
                return &attrs[i];
        return nullptr;
    }
    bool is(const char *name, const char *word) const {
        const attr_t *a = find(name);
        return a && a->value_length == strlen(word) && strncasecmp(a->value, word, a->value_length) == 0;
    }
    bool number(const char *name, float &out) const {
        const attr_t *a = find(name);
        if (!a || a->value_length == 0 || a->value_length > 63) return false;
        char text[64];
        memcpy(text, a->value, a->value_length);
        text[a->value_length] = 0;
        const char *end = text;
        const double d = v_strtod(text, &end);
        if (end == text || *end || !std::isfinite(d) || !std::isfinite(float(d))) return false;
        out = float(d);
        return true;
    }
    // Eight hexadecimal digits (an "0x" before them allowed): alpha, blue, green, red.
    bool colour(const char *name, uint32_t &out) const {
        const attr_t *a = find(name);
        if (!a) return false;
        const char *p = a->value;
        uint32_t n = a->value_length;
        if (n == 10 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2, n -= 2;
        if (n != 8) return false;
        uint32_t v = 0;
        for (uint32_t i = 0; i < 8; ++i) {
            const char c = p[i];
            const uint32_t d = c >= '0' && c <= '9'   ? uint32_t(c - '0')
                               : c >= 'a' && c <= 'f' ? uint32_t(c - 'a' + 10)
                               : c >= 'A' && c <= 'F' ? uint32_t(c - 'A' + 10)
                                                      : 16u;
            if (d > 15) return false;
            v = v << 4 | d;
        }
        out = v;
        return true;
    }
};

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the tag at p ('<'); false when it is no tag of the markup (then it is text).
bool parse_tag(const char *p, const char *end, parsed_tag_t &t) {
    const char *q = p + 1;
    if (q < end && *q == '/') t.closing = true, ++q;
    const char *name = q;
    while (q < end && is_letter(*q)) ++q;
    const uint32_t n = uint32_t(q - name);
    t.tag = TAG_NONE;
    for (int i = 0; i < TAG_VERBATIM + 1; ++i)
        if (strlen(TAG_NAMES[i]) == n && strncasecmp(TAG_NAMES[i], name, n) == 0) t.tag = tag_t(i);
    if (t.tag == TAG_NONE) return false;
    for (;;) {
        while (q < end && is_space(*q)) ++q;
        if (q >= end) return false;
        if (*q == '>') break;
        if (*q == '/' && q + 1 < end && q[1] == '>') {
            ++q;
            break;
        }
        const char *an = q;
        while (q < end && (is_letter(*q) || (*q >= '0' && *q <= '9') || *q == '_')) ++q;
        if (q == an) return false;
        attr_t a{an, uint32_t(q - an), q, 0};
        while (q < end && is_space(*q)) ++q;
        if (q < end && *q == '=') {
            ++q;
            while (q < end && is_space(*q)) ++q;
            if (q < end && *q == '"') {
                const char *v = ++q;
                while (q < end && *q != '"') ++q;
                if (q >= end) return false;
                a.value = v;
                a.value_length = uint32_t(q - v);
                ++q;
            } else {
                const char *v = q;
                while (q < end && !is_space(*q) && *q != '>') ++q;
                a.value = v;
                a.value_length = uint32_t(q - v);
            }
        }
        if (t.count < MAX_ATTRS) t.attrs[t.count++] = a;
    }
    t.end = q + 1;
    return true;
}

// The position of "</verbatim>" (any case) from p, or end.
const char *verbatim_end(const char *p, const char *end) {
    static const char CLOSE[] = "</verbatim>";
    const size_t n = sizeof CLOSE - 1;
    for (; p + n <= end; ++p)
        if (*p == '<' && strncasecmp(p, CLOSE, n) == 0) return p;
    return end;
}

// "@@key@@" replaced by translations outside verbatim sections.
bool translate_keys(const char *text, mstring_dyn_t &out) {
    bool ok = out.copy("");
    const char *end = text + strlen(text);
    const char *p = text;
    while (p < end) {
        const char *open = p;
        while (open < end && !(*open == '@' && open + 1 < end && open[1] == '@') &&
               !(*open == '<' && end - open >= 10 && strncasecmp(open, "<verbatim>", 10) == 0))
            ++open;
        ok = out.append(string(p), 0, uint32_t(open - p)) && ok;
        if (open >= end) break;
        if (*open == '<') {
            const char *close = verbatim_end(open + 10, end);
            const char *stop = close < end ? close + 11 : end;
            ok = out.append(string(open), 0, uint32_t(stop - open)) && ok;
            p = stop;
            continue;
        }
        const char *key = open + 2;
        const char *close = strstr(key, "@@");
        if (!close || close == key) {
            // No key: the at-signs are text.
            const uint32_t n = close ? 4u : uint32_t(end - open);
            ok = out.append(string(open), 0, n) && ok;
            p = open + n;
            continue;
        }
        mstring_dyn_t name;
        ok = name.copy(string(key), 0, 0, uint32_t(close - key)) && ok;
        ok = out.append(lcl_translate(name.c_str())) && ok;
        p = close + 2;
    }
    return ok;
}

struct line_t {
    uint32_t first;
    uint32_t end;
    halign_t halign;
    int32_t block;
};

struct block_t {
    valign_t valign;
};

class layout_t {
public:
    layout_t(zml_buffer_t &out, const ui_rect_t &b) : m_out(out), m_b(b) {
        m_pen_x = b.left;
        m_line_top = b.top;
        m_colours[0] = ZML_WHITE;
        m_fonts[0] = font_slot_t{&zml_default_font(), ZML_DEFAULT_FONT};
        m_aligns[0] = align_slot_t{H_LEFT, -1};
    }

    bool run(const char *text);

private:
    struct font_slot_t {
        const zml_font_t *font;
        const char *path;
    };
    struct align_slot_t {
        halign_t halign;
        int32_t block;
    };

    const font_slot_t &font() const { return m_fonts[m_font_depth]; }
    void glyph(char c);
    void image(const parsed_tag_t &t);
    void finish_line();
    void note_line_start();
    void do_tag(const parsed_tag_t &t);
    void apply_alignment();
    void mark_clipped();

    template <class T>
    static void push(T *stack, int &depth, int &overflow, const T &value) {
        if (depth + 1 < STACK_DEPTH) stack[++depth] = value;
        else ++overflow;
    }
    template <class T>
    static void pop(T *, int &depth, int &overflow) {
        if (overflow > 0) --overflow;
        else if (depth > 0) --depth;
    }

    zml_buffer_t &m_out;
    ui_rect_t m_b;
    float m_pen_x;
    float m_line_top;
    uint32_t m_line_first = 0;
    halign_t m_line_halign = H_LEFT;
    int32_t m_line_block = -1;
    int32_t m_run = -1;  // the glyph run characters join, or -1
    int32_t m_chars = 0;
    bool m_ok = true;

    uint32_t m_colours[STACK_DEPTH];
    int m_colour_depth = 0, m_colour_over = 0;
    font_slot_t m_fonts[STACK_DEPTH];
    int m_font_depth = 0, m_font_over = 0;
    align_slot_t m_aligns[STACK_DEPTH];
    int m_align_depth = 0, m_align_over = 0;

    array_dyn_t<line_t> m_lines;
    array_dyn_t<block_t> m_blocks;
};

void layout_t::note_line_start() {
    if (m_out.count() != m_line_first) return;
    m_line_halign = m_aligns[m_align_depth].halign;
    m_line_block = m_aligns[m_align_depth].block;
}

void layout_t::glyph(char c) {
    const font_slot_t &f = font();
    const uint32_t colour = m_colours[m_colour_depth];
    zml_item_t *run = m_run >= 0 ? &m_out.get(uint32_t(m_run)) : nullptr;
    if (run && (run->colour != colour || run->glyph_width != f.font->glyph_width || !(run->source == f.path) ||
                run->rect.right != m_pen_x))
        run = nullptr;
    if (!run) {
        note_line_start();
        run = m_out.add();
        if (!run) {
            m_ok = false;
            return;
        }
        m_run = int32_t(m_out.count() - 1);
        run->kind = zml_item_t::GLYPHS;
        run->rect = {m_pen_x, m_pen_x, f.font->line_height, 0.0f};
        run->colour = colour;
        run->first_char = m_chars;
        run->glyph_width = f.font->glyph_width;
        m_ok = run->source.copy(f.path) && m_ok;
    }
    // Runs grow by doubling, so a long text costs linear time.
    const uint32_t len = run->text.length();
    if (len + 2 > run->text.get_capacity() && !run->text.request_capacity(len < 16 ? 32 : len * 2)) {
        m_ok = false;
        return;
    }
    m_ok = run->text.append(c) && m_ok;
    ++run->char_count;
    ++m_chars;
    m_pen_x += f.font->glyph_width;
    run->rect.right = m_pen_x;
}

void layout_t::image(const parsed_tag_t &t) {
    const attr_t *src = t.find("src");
    mstring_dyn_t path;
    if (src) m_ok = path.copy(string(src->value), 0, 0, src->value_length) && m_ok;
    float mw = 0.0f, mh = 0.0f;
    if (!path.is_empty()) zml_material_size(path.c_str(), &mw, &mh);
    float u0 = 0.0f, u1 = 1.0f, v0 = 0.0f, v1 = 1.0f;
    t.number("left", u0);
    t.number("right", u1);
    t.number("top", v0);
    t.number("bottom", v1);
    const float natural_w = mw * std::fabs(u1 - u0);
    const float natural_h = mh * std::fabs(v1 - v0);
    const bool xstretch = t.is("xscale", "stretch") || t.is("xscale", "repeat");
    const bool ystretch = t.is("yscale", "stretch") || t.is("yscale", "repeat");
    float w = natural_w, h = natural_h;
    if (!t.number("width", w)) {
        if (xstretch) w = m_b.right - m_pen_x;
    }
    if (!t.number("height", h)) {
        if (ystretch) h = m_line_top - m_b.bottom;
    }
    if (!(w > 0.0f)) w = 0.0f;
    if (!(h > 0.0f)) h = 0.0f;
    // Repeating keeps the texels' size: the coordinates run over as many copies as fit.
    if (t.is("xscale", "repeat") && natural_w > 0.0f) u1 = u0 + (u1 - u0) * (w / natural_w);
    if (t.is("yscale", "repeat") && natural_h > 0.0f) v1 = v0 + (v1 - v0) * (h / natural_h);
    note_line_start();
    zml_item_t *item = m_out.add();
    if (!item) {
        m_ok = false;
        return;
    }
    m_run = -1;
    item->kind = zml_item_t::IMAGE;
    item->rect = {m_pen_x, m_pen_x + w, h, 0.0f};
    item->uv[0] = u0;
    item->uv[1] = u1;
    item->uv[2] = v0;
    item->uv[3] = v1;
    uint32_t colour = m_colours[m_colour_depth];
    t.colour("color", colour);
    item->colour = colour;
    item->source = static_cast<mstring_dyn_t &&>(path);
    m_pen_x += w;
}

void layout_t::finish_line() {
    const uint32_t end = m_out.count();
    float height = 0.0f;
    for (uint32_t i = m_line_first; i < end; ++i) {
        const float h = m_out.get(i).rect.top;  // laid out from 0 until placed
        if (h > height) height = h;
    }
    if (end == m_line_first) height = font().font->line_height;
    const float base = m_line_top - height;
    for (uint32_t i = m_line_first; i < end; ++i) {
        ui_rect_t &r = m_out.get(i).rect;
        r.bottom += base;
        r.top += base;
    }
    if (end > m_line_first) m_ok = m_lines.append(line_t{m_line_first, end, m_line_halign, m_line_block}) && m_ok;
    m_line_first = end;
    m_run = -1;
    m_pen_x = m_b.left;
    m_line_top = base - font().font->spacing;
}

void layout_t::do_tag(const parsed_tag_t &t) {
    switch (t.tag) {
        case TAG_IMG:
            if (!t.closing) image(t);
            break;
        case TAG_RET:
            if (!t.closing) finish_line();
            break;
        case TAG_OFFSET:
            if (t.closing) break;
            {
                float hs = 0.0f, vs = 0.0f;
                t.number("hshift", hs);
                t.number("vshift", vs);
                if (m_out.count() > m_line_first) finish_line();
                m_pen_x = m_b.left + hs;
                m_line_top = m_b.top - vs;
                m_run = -1;
            }
            break;
        case TAG_COLOR:
            if (t.closing) {
                pop(m_colours, m_colour_depth, m_colour_over);
            } else {
                uint32_t c = m_colours[m_colour_depth];
                if (!t.colour("value", c)) t.colour("color", c);
                push(m_colours, m_colour_depth, m_colour_over, c);
            }
            break;
        case TAG_FONT:
            if (t.closing) {
                pop(m_fonts, m_font_depth, m_font_over);
            } else {
                font_slot_t slot = font();
                if (const attr_t *src = t.find("src")) {
                    mstring_dyn_t path;
                    m_ok = path.copy(string(src->value), 0, 0, src->value_length) && m_ok;
                    // The layer keeps its fonts and their paths until zml_shutdown.
                    if (const zml_font_t *f = zml_get_font(path.c_str())) slot = font_slot_t{f, zml_font_path(f)};
                }
                push(m_fonts, m_font_depth, m_font_over, slot);
            }
            break;
        case TAG_ALIGN:
            if (t.closing) {
                pop(m_aligns, m_align_depth, m_align_over);
            } else {
                align_slot_t slot = m_aligns[m_align_depth];
                if (t.is("hstyle", "left")) slot.halign = H_LEFT;
                else if (t.is("hstyle", "center") || t.is("hstyle", "centre")) slot.halign = H_CENTER;
                else if (t.is("hstyle", "right")) slot.halign = H_RIGHT;
                valign_t v = V_TOP;
                if (t.is("vstyle", "center") || t.is("vstyle", "centre")) v = V_CENTER;
                else if (t.is("vstyle", "bottom")) v = V_BOTTOM;
                if (t.find("vstyle")) {
                    slot.block = int32_t(m_blocks.get_count());
                    m_ok = m_blocks.append(block_t{v}) && m_ok;
                }
                push(m_aligns, m_align_depth, m_align_over, slot);
            }
            break;
        default: break;
    }
}

void layout_t::apply_alignment() {
    for (const line_t &line : m_lines) {
        if (line.halign == H_LEFT) continue;
        float lo = m_out.get(line.first).rect.left, hi = m_out.get(line.first).rect.right;
        for (uint32_t i = line.first; i < line.end; ++i) {
            const ui_rect_t &r = m_out.get(i).rect;
            if (r.left < lo) lo = r.left;
            if (r.right > hi) hi = r.right;
        }
        const float dx = line.halign == H_RIGHT ? m_b.right - hi : (m_b.left + m_b.right) * 0.5f - (lo + hi) * 0.5f;
        for (uint32_t i = line.first; i < line.end; ++i) m_out.get(i).rect.move(dx, 0.0f);
    }
    for (uint32_t b = 0; b < m_blocks.get_count(); ++b) {
        if (m_blocks[b].valign == V_TOP) continue;
        bool any = false;
        float top = 0.0f, bottom = 0.0f;
        for (const line_t &line : m_lines) {
            if (line.block != int32_t(b)) continue;
            for (uint32_t i = line.first; i < line.end; ++i) {
                const ui_rect_t &r = m_out.get(i).rect;
                if (!any || r.top > top) top = r.top;
                if (!any || r.bottom < bottom) bottom = r.bottom;
                any = true;
            }
        }
        if (!any) continue;
        const float dy = m_blocks[b].valign == V_BOTTOM ? m_b.bottom - bottom
                                                         : (m_b.top + m_b.bottom) * 0.5f - (top + bottom) * 0.5f;
        for (const line_t &line : m_lines)
            if (line.block == int32_t(b))
                for (uint32_t i = line.first; i < line.end; ++i) m_out.get(i).rect.move(0.0f, dy);
    }
}

void layout_t::mark_clipped() {
    for (uint32_t i = 0; i < m_out.count(); ++i) {
        zml_item_t &item = m_out.get(i);
        const ui_rect_t &r = item.rect;
        if (r.left < m_b.left - CLIP_TOLERANCE || r.right > m_b.right + CLIP_TOLERANCE ||
            r.bottom < m_b.bottom - CLIP_TOLERANCE || r.top > m_b.top + CLIP_TOLERANCE)
            item.flags |= zml_item_t::CLIPPED;
    }
}

bool layout_t::run(const char *text) {
    const char *p = text;
    const char *end = text + strlen(text);
    while (p < end && m_ok) {
        const char c = *p;
        if (c == '<') {
            parsed_tag_t t;
            if (parse_tag(p, end, t)) {
                if (t.tag == TAG_VERBATIM) {
                    p = t.end;
                    if (t.closing) continue;
                    // Everything up to the closing tag is text, as written.
                    const char *stop = verbatim_end(p, end);
                    for (; p < stop; ++p) {
                        if (*p == '\n') finish_line();
                        else if (static_cast<unsigned char>(*p) >= 32) glyph(*p);
                    }
                    if (stop < end) p = stop + 11;
                    continue;
                }
                do_tag(t);
                p = t.end;
                continue;
            }
            glyph(c);
            ++p;
            continue;
        }
        if (c == '\\' && p + 1 < end) {
            const char e = p[1];
            uint32_t colour = 0;
            const bool is_colour = e == 'y' || e == 'w' || e == 'r' || e == 'g';
            if (is_colour) {
                colour = e == 'y' ? ZML_YELLOW : e == 'w' ? ZML_WHITE : e == 'r' ? ZML_RED : ZML_GREEN;
                m_colours[m_colour_depth] = colour;
                p += 2;
                continue;
            }
            if (e == '\\') {
                glyph('\\');
                p += 2;
                continue;
            }
        }
        if (c == '\n') finish_line();
        else if (static_cast<unsigned char>(c) >= 32) glyph(c);
        ++p;
    }
    if (m_out.count() > m_line_first) finish_line();
    apply_alignment();
    mark_clipped();
    return m_ok;
}

}  // namespace

// Fonts load when a text first asks for them: the module starts the layer before the
// game's data is mounted.
bool zml_init() { return true; }

void zml_shutdown() {
    zml_release_resources();
    localized = false;
    result.reset();
}

bool zml_localized(bool on) {
    const bool was = localized;
    localized = on;
    return was;
}

bool zml_is_localized() { return localized; }

void zml_set_bounds(const ui_rect_t &b) { bounds = b; }

const ui_rect_t &zml_get_bounds() { return bounds; }

bool zml_render(const char *text) {
    result.reset();
    if (!text) text = "";
    mstring_dyn_t translated;
    if (localized) {
        if (!translate_keys(text, translated)) return false;
        text = translated.c_str();
    }
    layout_t layout(result, bounds);
    return layout.run(text);
}

bool zml_buffer_get(zml_buffer_t *out) { return out && out->copy_from(result); }

bool zml_render_to(zml_buffer_t &out, const char *text, const ui_rect_t &b) {
    zml_set_bounds(b);
    return zml_render(text) && zml_buffer_get(&out);
}

}  // namespace quarn
