// Rendered buffers and their 2D records.
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/zml.h"

namespace quarn {

ui_rect_t zml_buffer_t::rect(uint32_t i) const {
    ui_rect_t r = m_items[i].rect;
    r.move(m_x, m_y);
    return r;
}

bool zml_buffer_t::get_bounds(ui_rect_t &out) const {
    bool any = false;
    ui_rect_t b;
    for (uint32_t i = 0; i < m_items.get_count(); ++i) {
        if (m_items[i].flags & zml_item_t::HIDDEN) continue;
        const ui_rect_t r = rect(i);
        if (!any) {
            b = r;
            any = true;
            continue;
        }
        if (r.left < b.left) b.left = r.left;
        if (r.right > b.right) b.right = r.right;
        if (r.top > b.top) b.top = r.top;
        if (r.bottom < b.bottom) b.bottom = r.bottom;
    }
    if (any) out = b;
    return any;
}

bool zml_buffer_t::copy_from(const zml_buffer_t &other) {
    if (this == &other) return true;
    m_items.clear();
    m_x = other.m_x;
    m_y = other.m_y;
    if (!m_items.append_array(other.m_items)) {
        reset();
        return false;
    }
    return true;
}

bool zml_buffer_t::append(const zml_buffer_t &other) {
    const float dx = other.m_x - m_x;
    const float dy = other.m_y - m_y;
    for (const zml_item_t &item : other.m_items) {
        zml_item_t *copy = m_items.append(item);
        if (!copy) return false;
        copy->rect.move(dx, dy);
    }
    return true;
}

void zml_buffer_t::reset() {
    m_items.clear();
    m_x = 0.0f;
    m_y = 0.0f;
}

bool zml_buffer_t::is_clipped() const {
    for (const zml_item_t &item : m_items)
        if (item.flags & zml_item_t::CLIPPED) return true;
    return false;
}

bool zml_buffer_t::text(mstring_t &out) const {
    bool ok = out.copy("");
    for (const zml_item_t &item : m_items)
        if (item.kind == zml_item_t::GLYPHS) ok = out.append(item.text) && ok;
    return ok;
}

uint32_t zml_colour_multiply(uint32_t a, uint32_t b) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t c = ((a >> shift) & 0xFFu) * ((b >> shift) & 0xFFu) / 255u;
        out |= c << shift;
    }
    return out;
}

void zml_colormod(const zml_buffer_t &buffer, uint32_t tint, r_queue_t *queue) {
    if (!queue) return;
    for (uint32_t i = 0; i < buffer.count(); ++i) {
        const zml_item_t &item = buffer.get(i);
        if (item.flags & zml_item_t::HIDDEN) continue;
        const ui_rect_t r = buffer.rect(i);
        r_ui_record_t rec;
        rec.kind = item.kind == zml_item_t::IMAGE ? r_ui_record_t::IMAGE : r_ui_record_t::GLYPHS;
        rec.source = item.source.c_str();
        rec.left = r.left;
        rec.right = r.right;
        rec.top = r.top;
        rec.bottom = r.bottom;
        for (int k = 0; k < 4; ++k) rec.uv[k] = item.uv[k];
        rec.tint = tint == ZML_WHITE ? item.colour : zml_colour_multiply(item.colour, tint);
        rec.text = item.text.c_str();
        rec.glyph_width = item.glyph_width;
        gfx_queue_ui(queue, rec);
    }
}

void zml_buffer_flush(const zml_buffer_t &buffer, r_queue_t *queue) { zml_colormod(buffer, ZML_WHITE, queue); }

}  // namespace quarn
