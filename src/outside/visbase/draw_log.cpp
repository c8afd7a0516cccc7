#include "outside/visbase/draw_log.h"

#include <cstring>
#include <string>

#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/r_proto.h"

namespace quarn {

namespace {

const char *const PACKET_NAMES[] = {"NONE",      "P",          "PT",        "PC",           "PCT",
                                    "PS",        "PST",        "PN",        "PNT",          "PNC",
                                    "PNCT",      "PNS",        "PNST",      "INDEX16",      "QUAD",
                                    "MODEL",     "MODEL_TAN",  "MODEL_FUR", "MODEL_TAN_FUR", "MODEL_INDEX16"};
static_assert(sizeof PACKET_NAMES / sizeof PACKET_NAMES[0] == R_PACKET_MODEL_INDEX16 + 1, "a name for every packet type");

bool append_number(mstring_t &out, float f) {
    // -0 prints as 0, so that goldens do not depend on the sign of a zero product.
    return out.printf_append("%g", f == 0.0f ? 0.0 : double(f));
}

bool append_value(mstring_t &out, const r_draw_input_t &in) {
    bool ok = out.append(" (");
    for (uint32_t i = 0; i < in.value_count; ++i) {
        if (i > 0) ok = out.append(in.value_count == 16 && i % 4 == 0 ? " / " : " ") && ok;
        ok = append_number(out, in.value[i]) && ok;
    }
    return out.append(")") && ok;
}

bool append_input(mstring_t &out, const r_draw_input_t &in) {
    bool ok = out.printf_append("  %s %s", effect_input_name(effect_input_t(in.kind)), in.name.c_str());
    switch (in.kind) {
    case EFFECT_INPUT_ATTRIBUTE: ok = out.printf_append(" %d", in.slot) && ok; break;
    case EFFECT_INPUT_SAMPLER: ok = out.printf_append(" \"%s\"", in.texture.c_str()) && ok; break;
    default:
        if (in.slot < 0) ok = out.append(" global") && ok;
        else ok = out.printf_append(" slot %d", in.slot) && ok;
        if (in.absent) ok = out.append(" absent") && ok;
        ok = append_value(out, in) && ok;
        break;
    }
    return out.append("\n") && ok;
}

bool append_quoted(mstring_t &out, const char *text) {
    bool ok = out.append('"');
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        if (*p == '"' || *p == '\\') ok = out.append('\\') && out.append(char(*p)) && ok;
        else if (*p < 32) ok = out.printf_append("\\x%02x", *p) && ok;
        else ok = out.append(char(*p)) && ok;
    }
    return out.append('"') && ok;
}

bool append_ui(mstring_t &out, const r_draw_record_t &r) {
    const bool image = r.ui.kind == 1;
    bool ok = out.printf_append("ui %s queue %d ", image ? "image" : "glyphs", r.queue);
    ok = append_quoted(out, r.ui.source.c_str()) && ok;
    ok = out.append(" rect") && ok;
    for (float f : {r.ui.left, r.ui.bottom, r.ui.right, r.ui.top}) ok = out.append(" ") && append_number(out, f) && ok;
    if (image) {
        ok = out.append(" uv") && ok;
        for (float f : r.ui.uv) ok = out.append(" ") && append_number(out, f) && ok;
    }
    ok = out.printf_append(" tint %08x", r.ui.tint) && ok;
    if (!image) ok = out.append(" ") && append_quoted(out, r.ui.text.c_str()) && ok;
    return out.append("\n") && ok;
}

}  // namespace

const char *r_packet_type_name(uint32_t type) {
    return type < sizeof PACKET_NAMES / sizeof PACKET_NAMES[0] ? PACKET_NAMES[type] : "?";
}

const r_draw_input_t *r_draw_record_t::find(const char *input_name) const {
    for (const r_draw_input_t &in : inputs)
        if (in.name == input_name) return &in;
    return nullptr;
}

const float *r_draw_record_t::value(const char *input_name) const {
    const r_draw_input_t *in = find(input_name);
    return in && in->value_count ? in->value : nullptr;
}

bool r_draw_record_t::has_state(const char *line) const {
    for (const mstring_dyn_t &s : states)
        if (s == line) return true;
    return false;
}

void r_draw_record_t::reset(kind_t new_kind) {
    kind = new_kind;
    queue = -1;
    material = "";
    effect = "";
    pass = "";
    call = "";
    packets.clear();
    // A draw's lists are written whole by the renderer (set to their size, every
    // element overwritten), so their texts keep their buffers; other records have none.
    if (new_kind != DRAW) {
        slots.clear();
        inputs.clear();
    }
    states.clear();
    ui = ui_t();
}

uint32_t r_draw_log_t::ui_count() const {
    uint32_t n = 0;
    for (uint32_t k = 0; k < m_used; ++k) n += m_records[k].kind == r_draw_record_t::UI;
    return n;
}

const r_draw_record_t &r_draw_log_t::ui(uint32_t i) const {
    for (uint32_t k = 0; k < m_used; ++k)
        if (m_records[k].kind == r_draw_record_t::UI && i-- == 0) return m_records[k];
    return m_records[m_records.get_count()];
}

uint32_t r_draw_log_t::draw_count() const {
    uint32_t n = 0;
    for (uint32_t k = 0; k < m_used; ++k) n += m_records[k].kind == r_draw_record_t::DRAW;
    return n;
}

const r_draw_record_t &r_draw_log_t::draw(uint32_t i) const {
    for (uint32_t k = 0; k < m_used; ++k)
        if (m_records[k].kind == r_draw_record_t::DRAW && i-- == 0) return m_records[k];
    // Past the last draw: the array's own check reports it.
    return m_records[m_records.get_count()];
}

r_draw_record_t *r_draw_log_t::add(r_draw_record_t::kind_t kind) {
    r_draw_record_t *r = nullptr;
    if (m_used < m_records.get_count()) {
        r = &m_records[m_used];
        r->reset(kind);
    } else {
        r = m_records.append(r_draw_record_t());
        if (r) r->kind = kind;
    }
    if (r) ++m_used;
    return r;
}

bool r_draw_log_t::dump(mstring_t &out) const {
    // Each record is formatted on its own and the frame's text gathered with amortised
    // growth: appending every line to one long text would measure and copy the whole
    // text each time, and a frame of the hunt has megabytes of it.
    bool ok = true;
    std::string all;
    for (uint32_t k = 0; k < m_used; ++k) {
        const r_draw_record_t &r = m_records[k];
        mstring_dyn_t rec;
        if (r.kind == r_draw_record_t::CALL) {
            ok = rec.printf_append("call %s\n", r.call.c_str()) && ok;
        } else if (r.kind == r_draw_record_t::UI) {
            ok = append_ui(rec, r) && ok;
        } else {
            ok = rec.printf_append("draw queue %d material \"%s\" effect %s pass \"%s\"\n", r.queue,
                                   r.material.c_str(), r.effect.c_str(), r.pass.c_str()) && ok;
            ok = rec.append("  packets") && ok;
            for (const r_draw_packet_t &p : r.packets)
                ok = rec.printf_append(" %s:%u", r_packet_type_name(p.type), p.count) && ok;
            ok = rec.append("\n  slots") && ok;
            for (const mstring_dyn_t &s : r.slots) ok = rec.printf_append(" %s", s.is_empty() ? "-" : s.c_str()) && ok;
            ok = rec.append("\n") && ok;
            for (const r_draw_input_t &in : r.inputs) ok = append_input(rec, in) && ok;
            for (const mstring_dyn_t &s : r.states) ok = rec.printf_append("  state %s\n", s.c_str()) && ok;
        }
        all += rec.c_str();
    }
    return out.printf_append("%s", all.c_str()) && ok;
}

}  // namespace quarn
