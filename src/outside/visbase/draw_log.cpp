#include "outside/visbase/draw_log.h"

#include <charconv>
#include <cstring>
#include <string>

#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

const char *const PACKET_NAMES[] = {"NONE",      "P",          "PT",        "PC",           "PCT",
                                    "PS",        "PST",        "PN",        "PNT",          "PNC",
                                    "PNCT",      "PNS",        "PNST",      "INDEX16",      "QUAD",
                                    "MODEL",     "MODEL_TAN",  "MODEL_FUR", "MODEL_TAN_FUR", "MODEL_INDEX16"};
static_assert(sizeof PACKET_NAMES / sizeof PACKET_NAMES[0] == R_PACKET_MODEL_INDEX16 + 1, "a name for every packet type");

bool requested = false;

// Interned texts live in blocks of this size (a longer text gets a block of its own).
constexpr size_t NAME_BLOCK = 4096;

// "(x y z w)" with -0 as 0, each number as "%g" prints it: std::to_chars gives the
// same digits without the locale and the big-number arithmetic of the printf family.
struct vec_text_t {
    explicit vec_text_t(const float *f) {
        char *at = text;
        char *const end = text + sizeof text - 1;
        *at++ = '(';
        for (int i = 0; i < 4; ++i) {
            if (i > 0) *at++ = ' ';
            const double d = f[i] == 0.0f ? 0.0 : double(f[i]);
            const std::to_chars_result r = std::to_chars(at, end - 1, d, std::chars_format::general, 6);
            at = r.ec == std::errc() ? r.ptr : at;
        }
        *at++ = ')';
        *at = 0;
    }
    const char *c_str() const { return text; }
    // Four numbers of at most 13 characters ("-1.17549e-38"), three blanks, brackets.
    char text[72];
};

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

void r_draw_log_request(bool on) { requested = on; }

bool r_draw_log_requested() { return requested; }

r_draw_state_t &r_draw_state_t::operator=(const r_draw_state_t &o) {
    if (this == &o) return *this;
    op = o.op;
    number = o.number;
    memcpy(values, o.values, sizeof values);
    text = o.text;
    text2 = o.text2;
    // The text is made again from the values when read.
    m_text = "";
    return *this;
}

void r_draw_state_t::set_vector(uint32_t i, const vec4_t &v) {
    if (i >= 4) return;
    values[4 * i + 0] = v.x;
    values[4 * i + 1] = v.y;
    values[4 * i + 2] = v.z;
    values[4 * i + 3] = v.w;
}

bool r_draw_state_t::append_to(mstring_t &out) const {
    switch (op) {
    case CLEAR:
        return out.printf_append("clear %g %g %g %g %08X", double(values[0]), double(values[1]), double(values[2]),
                                 double(values[3]), unsigned(number));
    case FOG_OFF: return out.append("fog off");
    case FOG: return out.printf_append("fog %d %s", int32_t(number), vec_text_t(values).c_str());
    case LIGHT:
        return out.printf_append("light %u ambient %s diffuse %s specular %s direction %s", unsigned(number),
                                 vec_text_t(values).c_str(), vec_text_t(values + 4).c_str(),
                                 vec_text_t(values + 8).c_str(), vec_text_t(values + 12).c_str());
    case LIGHTING: return out.printf_append("lighting %s", number ? "on" : "off");
    case TEXTURE_STAGE: return out.printf_append("texture_stage %u %s", unsigned(number), text.c_str());
    case TEXTURE_CONSTANT: return out.printf_append("texture_constant %s", vec_text_t(values).c_str());
    case TEXTURE_MODE: return out.printf_append("texture_mode %d", int32_t(number));
    case RENDER_STATE: return out.printf_append("render_state %s=%s", text.c_str(), text2.c_str());
    case SET_PASS: return out.printf_append("set_pass %s", text.c_str());
    case RESET_TEXTURE_STAGES: return out.printf_append("reset_texture_stages %u", unsigned(number));
    }
    return out.append("?");
}

const char *r_draw_state_t::c_str() const {
    if (m_text.is_empty() && !append_to(m_text)) m_text = "";
    return m_text.c_str();
}

r_draw_log_t::~r_draw_log_t() {
    for (char *block : m_blocks) qrncore_system_delete_vector(block);
}

const char *r_draw_log_t::store(const char *text, size_t length) {
    const size_t bytes = length + 1;
    if (bytes > m_block_left) {
        const size_t size = bytes > NAME_BLOCK ? bytes : NAME_BLOCK;
        char *block = static_cast<char *>(qrncore_system_new_vector(size));
        if (!block) return nullptr;
        if (!m_blocks.append(block)) {
            qrncore_system_delete_vector(block);
            return nullptr;
        }
        m_block_at = block;
        m_block_left = size;
    }
    char *at = m_block_at;
    memcpy(at, text, bytes);
    m_block_at += bytes;
    m_block_left -= bytes;
    return at;
}

bool r_draw_log_t::grow_names() {
    const uint32_t capacity = m_names.get_count() ? 2 * m_names.get_count() : 64;
    array_dyn_t<const char *> names;
    array_dyn_t<uint32_t> hashes;
    if (!names.set_size(capacity) || !hashes.set_size(capacity)) return false;
    for (uint32_t i = 0; i < capacity; ++i) names[i] = nullptr;
    for (uint32_t i = 0; i < m_names.get_count(); ++i) {
        if (!m_names[i]) continue;
        uint32_t at = m_name_hashes[i] & (capacity - 1);
        while (names[at]) at = (at + 1) & (capacity - 1);
        names[at] = m_names[i];
        hashes[at] = m_name_hashes[i];
    }
    m_names = static_cast<array_dyn_t<const char *> &&>(names);
    m_name_hashes = static_cast<array_dyn_t<uint32_t> &&>(hashes);
    return true;
}

r_draw_name_t r_draw_log_t::intern(const char *text) {
    if (!text || !*text) return r_draw_name_t();
    // FNV-1a.
    uint32_t hash = 2166136261u;
    size_t length = 0;
    for (; text[length]; ++length) hash = (hash ^ uint8_t(text[length])) * 16777619u;
    if (2 * (m_name_count + 1) > m_names.get_count() && !grow_names()) return r_draw_name_t();
    const uint32_t mask = m_names.get_count() - 1;
    uint32_t at = hash & mask;
    for (; m_names[at]; at = (at + 1) & mask)
        if (m_name_hashes[at] == hash && strcmp(m_names[at], text) == 0) return r_draw_name_t(m_names[at]);
    const char *kept = store(text, length);
    if (!kept) return r_draw_name_t();
    m_names[at] = kept;
    m_name_hashes[at] = hash;
    ++m_name_count;
    return r_draw_name_t(kept);
}

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
    for (const r_draw_state_t &s : states)
        if (s == line) return true;
    return false;
}

void r_draw_record_t::reset(kind_t new_kind) {
    kind = new_kind;
    queue = -1;
    material = r_draw_name_t();
    effect = r_draw_name_t();
    pass = r_draw_name_t();
    call = r_draw_state_t();
    packets.clear();
    slots.clear();
    inputs.clear();
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
            ok = rec.append("call ") && r.call.append_to(rec) && rec.append("\n") && ok;
        } else if (r.kind == r_draw_record_t::UI) {
            ok = append_ui(rec, r) && ok;
        } else {
            ok = rec.printf_append("draw queue %d material \"%s\" effect %s pass \"%s\"\n", r.queue, r.material.c_str(),
                                   r.effect.c_str(), r.pass.c_str()) && ok;
            ok = rec.append("  packets") && ok;
            for (const r_draw_packet_t &p : r.packets)
                ok = rec.printf_append(" %s:%u", r_packet_type_name(p.type), p.count) && ok;
            ok = rec.append("\n  slots") && ok;
            for (const r_draw_name_t &s : r.slots) ok = rec.append(" ") && rec.append(s.is_empty() ? "-" : s.c_str()) && ok;
            ok = rec.append("\n") && ok;
            for (const r_draw_input_t &in : r.inputs) ok = append_input(rec, in) && ok;
            for (const r_draw_state_t &s : r.states) ok = rec.append("  state ") && s.append_to(rec) && rec.append("\n") && ok;
        }
        all += rec.c_str();
    }
    return out.printf_append("%s", all.c_str()) && ok;
}

}  // namespace quarn
