#pragma once
// The draw log: what the renderer drew this frame, in order, kept beside the drawing
// (which never reads it): every prototype drawn (gfx_queue_render) gives one record
// with its queue, material, effect class and pass, its geometry packets, the classes
// of its parameter packets, every input its pass bound with the value it resolved to,
// and the fixed-function state the pass set for it. Context calls made outside a
// draw (the resets after the queues) give records of their own.
//
// The context empties the log when a frame begins (r_context_t::begin_frame). Tests
// read the records, or compare r_draw_log_t::dump with a golden text. The log is kept
// only when asked (r_draw_log_request, r_context_t::set_draw_log): a record holds
// values and interned names, and its texts are made only when read.
#include <cstdint>
#include <cstring>

#include "outside/visbase/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

// A name in a record (a material's path, a class's type name, an input's name): text
// the log interned, so that it outlives what named it and costs no copy frame after
// frame. "" for none.
class r_draw_name_t {
public:
    r_draw_name_t() = default;
    const char *c_str() const { return m_text; }
    bool is_empty() const { return m_text[0] == 0; }
    bool operator==(const char *text) const { return strcmp(m_text, text ? text : "") == 0; }
    bool operator==(const r_draw_name_t &o) const { return m_text == o.m_text || strcmp(m_text, o.m_text) == 0; }
    // Readable in test failures (any stream that takes a C string).
    template <class S>
    friend auto operator<<(S &out, const r_draw_name_t &n) -> decltype(out << "") {
        return out << n.m_text;
    }

private:
    friend class r_draw_log_t;
    explicit r_draw_name_t(const char *interned) : m_text(interned) {}
    const char *m_text = "";
};

// A context call, kept as its values: a state line of a draw ("fog off") or a call
// outside one ("set_pass 0"). Its text is made only when read (c_str, dump).
struct VISBASE_API r_draw_state_t {
    enum op_t : uint32_t {
        CLEAR = 0,           // values: x y width height; number: colour
        FOG_OFF,             //
        FOG,                 // number: mode; values: colour
        LIGHT,               // number: index; values: ambient, diffuse, specular, direction
        LIGHTING,            // number: on
        TEXTURE_STAGE,       // number: stage; text: operation
        TEXTURE_CONSTANT,    // values: colour
        TEXTURE_MODE,        // number: mode
        RENDER_STATE,        // text: key; text2: value
        SET_PASS,            // text: the pass's name, "0" for none
        RESET_TEXTURE_STAGES // number: first
    };

    r_draw_state_t() = default;
    explicit r_draw_state_t(op_t o) : op(o) {}
    r_draw_state_t(const r_draw_state_t &o) { *this = o; }
    r_draw_state_t &operator=(const r_draw_state_t &o);

    // Writes the four floats of v at values[4 * i].
    void set_vector(uint32_t i, const vec4_t &v);
    // Appends the text ("fog 2 (0.5 0.5 0.5 1)"); false without memory.
    bool append_to(mstring_t &out) const;
    // The text, made on the first call and kept with the record ("" without memory).
    const char *c_str() const;
    bool operator==(const char *line) const { return strcmp(c_str(), line ? line : "") == 0; }
    template <class S>
    friend auto operator<<(S &out, const r_draw_state_t &s) -> decltype(out << "") {
        return out << s.c_str();
    }

    op_t op = FOG_OFF;
    uint32_t number = 0;
    float values[16] = {};
    r_draw_name_t text;
    r_draw_name_t text2;

private:
    mutable mstring_dyn_t m_text;
};

// One bound input and its value. Attributes carry their slot and no value; uniforms
// the packet slot they read (-1: a value of the pass) and 3, 4 or 16 floats;
// samplers the texture the material names for them ("" when none).
struct r_draw_input_t {
    uint32_t kind = 0;  // effect_input_t
    r_draw_name_t name;
    int32_t slot = -1;
    uint32_t value_count = 0;
    float value[16] = {};
    // The slot held no packet of the source's class: the value is the stand-in.
    bool absent = false;
    r_draw_name_t texture;
};

struct r_draw_packet_t {
    uint32_t type = 0;   // r_packet_type_t
    uint32_t count = 0;  // vertices, or indices for the index packet
};

struct VISBASE_API r_draw_record_t {
    enum kind_t : uint32_t {
        DRAW = 0,  // a prototype drawn
        CALL = 1,  // a context call outside a draw (its text in `call`)
        UI = 2,    // a 2D record of the UI (glyphs or an image, in `ui`)
    };

    // The input of that name, or null.
    const r_draw_input_t *find(const char *input_name) const;
    // The value of the uniform of that name; null when it is not bound or has none.
    const float *value(const char *input_name) const;
    // True when the pass set this state line ("fog off", "lighting on").
    bool has_state(const char *line) const;
    // As a new record of that kind, keeping the storage it has (the log reuses its
    // records frame after frame).
    void reset(kind_t new_kind);

    kind_t kind = DRAW;
    int32_t queue = -1;
    r_draw_name_t material;  // the material's path
    r_draw_name_t effect;    // the effect's type name
    r_draw_name_t pass;      // the pass's name
    r_draw_state_t call;
    array_dyn_t<r_draw_packet_t> packets;
    // The class type name of the packet in each of the seven slots, "" when empty.
    array_dyn_t<r_draw_name_t> slots;
    array_dyn_t<r_draw_input_t> inputs;
    array_dyn_t<r_draw_state_t> states;
    // UI records: what r_ui_record_t held, with its texts copied.
    struct ui_t {
        uint32_t kind = 0;  // r_ui_record_t::kind_t
        mstring_dyn_t source;
        float left = 0.0f, right = 0.0f, top = 0.0f, bottom = 0.0f;
        float uv[4] = {0.0f, 1.0f, 0.0f, 1.0f};
        uint32_t tint = 0xFFFFFFFFu;
        mstring_dyn_t text;
    } ui;
};

class VISBASE_API r_draw_log_t {
public:
    r_draw_log_t() = default;
    ~r_draw_log_t();
    r_draw_log_t(const r_draw_log_t &) = delete;
    r_draw_log_t &operator=(const r_draw_log_t &) = delete;

    // Empties the log. The records stay allocated for the next frame's: a frame draws
    // much the same as the last, and a record holds a dozen texts and arrays.
    void clear() { m_used = 0; }
    uint32_t get_count() const { return m_used; }
    // Past the count the array's own check reports it.
    const r_draw_record_t &operator[](uint32_t i) const { return m_records[i < m_used ? i : m_records.get_count()]; }
    // The records of prototypes drawn, without the calls and the UI records.
    uint32_t draw_count() const;
    // The UI records, and the i-th of them (i below ui_count).
    uint32_t ui_count() const;
    const r_draw_record_t &ui(uint32_t i) const;
    // The i-th record of a prototype drawn (i below draw_count).
    const r_draw_record_t &draw(uint32_t i) const;

    // A new record at the end; null without memory.
    r_draw_record_t *add(r_draw_record_t::kind_t kind);
    r_draw_record_t *last() { return m_used == 0 ? nullptr : &m_records[m_used - 1]; }

    // The log as text, one line per record and one indented line per packet list,
    // slot list, input and state line; numbers with "%g" (-0 as 0), so that the text
    // can be compared with a golden one:
    //
    //   draw queue 0 material "/m/bark.mat" effect fw_dif pass "default"
    //     packets PNCT:4 INDEX16:6
    //     slots pp_camera fw4pp_model pp_fog fw4pp_light - - -
    //     attribute v.position 0
    //     vertex_uniform transform.mv global (1 0 0 0 / 0 1 0 0 / 0 0 1 0 / 0 0 0 1)
    //     fragment_uniform fog_color slot 2 (0.5 0.5 0.5 1)
    //     vertex_uniform tmatrix slot 5 absent (1 0 0 0 / ...)
    //     sampler texture_sampler "/texture/bark.tga"
    //     state fog off
    //   call set_pass 0
    //   ui glyphs queue 9 "/system/font/default.font" rect 10 20 50 36 tint ffffffff "Hello"
    //   ui image queue 9 "/system/ui/default/uidefault.mat" rect 0 0 1024 768 uv 0 1 0 1 tint 30ffffff
    //
    // UI rectangles read left, bottom, right, top (reference units, y upward); texts
    // are quoted with '"' and '\' escaped and other bytes below 32 as \xNN.
    bool dump(mstring_t &out) const;

    // The log's own copy of text (null reads as ""), made once for the log's life: the
    // names a frame draws with are few and come back every frame. "" without memory.
    r_draw_name_t intern(const char *text);

private:
    bool grow_names();
    const char *store(const char *text, size_t length);

    // The first m_used records are the log; the rest wait to be reused.
    array_dyn_t<r_draw_record_t> m_records;
    uint32_t m_used = 0;
    // Interned names: an open-addressed table (a power of two, at most half full) of
    // texts and their hashes, the texts kept in blocks that never move.
    array_dyn_t<const char *> m_names;
    array_dyn_t<uint32_t> m_name_hashes;
    uint32_t m_name_count = 0;
    array_dyn_t<char *> m_blocks;
    char *m_block_at = nullptr;
    size_t m_block_left = 0;
};

// The draw log is kept only when asked: by a context's own switch
// (r_context_t::set_draw_log, which tests turn on) or for every context by the
// layer's (the console variable "r_draw_log"). Off, drawing makes no record.
VISBASE_API void r_draw_log_request(bool on);
VISBASE_API bool r_draw_log_requested();

// The name of a packet type ("PNCT", "INDEX16", "QUAD"; "?" for another value).
VISBASE_API const char *r_packet_type_name(uint32_t type);

}  // namespace quarn
