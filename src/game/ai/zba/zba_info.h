#pragma once
// zba_info_t: a loaded behaviour file. It reads the block the parser built
// (zba_layout.h) through small record views, and reaches what the file holds at run
// time (its resource item, the model descriptor, the compiled programs) through the
// runtime record that lives beside the block. The block itself holds no pointer, so
// the memory manager may move it.
//
// Views are cheap copies of (block, offset); they stay valid while the block stays
// where it is (the caller holds the item locked).
#include <cstdint>

#include "game/ai/zba/zba_layout.h"
#include "game/ai/zba/zba_program_cache.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class zba_model_source_t;

// What a loaded behaviour file holds at run time, beside its block.
struct zba_runtime_t {
    c_item_t *item = nullptr;  // the resource item the block belongs to
    c_item_ptr_t model;        // the model descriptor, while initialised
    zba_program_cache_t programs;
};

// Reading fields of a block. Every read is checked against the block's size, so a
// wrong offset stops the program instead of reading elsewhere.
class zba_view_t {
public:
    zba_view_t() = default;
    zba_view_t(const uint8_t *image, uint32_t offset) : m_image(image), m_offset(offset) {}

    bool is_null() const { return m_image == nullptr; }
    uint32_t offset() const { return m_offset; }

protected:
    uint32_t u32(uint32_t field) const;
    int32_t i32(uint32_t field) const { return int32_t(u32(field)); }
    float f32(uint32_t field) const;
    uint8_t u8(uint32_t field) const;
    // The text at the offset stored in the field.
    const char *text(uint32_t field) const;
    // The text that starts at the record's field itself.
    const char *inline_text(uint32_t field) const;
    uint32_t image_u32(uint32_t at) const;

    const uint8_t *m_image = nullptr;
    uint32_t m_offset = 0;
};

class zba_item_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    uint32_t kind() const { return u32(zba_layout::I_KIND); }
    float time() const { return f32(zba_layout::I_TIME); }
    // warp, weight
    float value() const { return f32(zba_layout::I_VALUE); }
    // anim (and a simple transition's item)
    int32_t animation() const { return i32(zba_layout::I_ANIMATION); }
    float length() const { return f32(zba_layout::I_LENGTH); }
    float s_weight() const { return f32(zba_layout::I_S_WEIGHT); }
    float e_weight() const { return f32(zba_layout::I_E_WEIGHT); }
    uint32_t flags() const { return u32(zba_layout::I_FLAGS); }
    bool proportional() const { return (flags() & zba_layout::ANIM_PROPORTIONAL) != 0; }
    // info, sound
    const char *text() const { return inline_text(zba_layout::I_TEXT); }
    // The item that follows this one in its channel.
    zba_item_t next() const { return zba_item_t(m_image, m_offset + zba_layout::item_size(kind())); }
};

class zba_channel_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    uint32_t item_count() const { return u32(zba_layout::C_ITEM_COUNT); }
    zba_item_t first_item() const { return zba_item_t(m_image, u32(zba_layout::C_FIRST_ITEM)); }
    float probability() const { return f32(zba_layout::C_PROBABILITY); }
    float duration() const { return f32(zba_layout::C_DURATION); }
    const char *name() const { return text(zba_layout::C_NAME); }
};

class zba_behavior_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    const char *name() const { return text(zba_layout::B_NAME); }
    uint32_t flags() const { return u32(zba_layout::B_FLAGS); }
    bool from_any() const { return (flags() & zba_layout::BEHAVIOR_FROM_ANY) != 0; }
    float duration() const { return f32(zba_layout::B_DURATION); }
    uint32_t channel_count() const { return u32(zba_layout::B_CHANNEL_COUNT); }
    zba_channel_t channel(uint32_t i) const;
    // The states the behaviour needs of a feature at its start and leaves it in at
    // its end; NO_STATE where it names none.
    uint8_t start_state(uint32_t feature) const;
    uint8_t end_state(uint32_t feature) const;
    // The value of an attribute, read as the attribute's type says.
    float attribute_float(uint32_t attribute) const;
    int32_t attribute_int(uint32_t attribute) const;
    const char *attribute_text(uint32_t attribute) const;

private:
    uint32_t feature_count() const { return image_u32(zba_layout::H_FEATURE_COUNT); }
    uint32_t value_field(uint32_t attribute) const;
};

class zba_feature_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    const char *name() const { return text(zba_layout::F_NAME); }
    uint32_t state_count() const { return u32(zba_layout::F_STATE_COUNT); }
    const char *state_name(uint32_t state) const;
    // The simple transition into the state, or -1.
    int32_t simple_transition(uint32_t state) const;
    // The state of that name (without regard to case), or -2.
    int32_t find_state(const char *name) const;
};

class zba_attribute_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    const char *name() const { return text(zba_layout::A_NAME); }
    uint32_t type() const { return u32(zba_layout::A_TYPE); }
    float default_float() const { return f32(zba_layout::A_DEFAULT); }
    int32_t default_int() const { return i32(zba_layout::A_DEFAULT); }
    const char *default_text() const { return text(zba_layout::A_DEFAULT); }
};

class zba_animation_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    const char *name() const { return text(zba_layout::N_NAME); }
    const char *path() const { return text(zba_layout::N_PATH); }
    int32_t priority() const { return i32(zba_layout::N_PRIORITY); }
    float super_weight() const { return f32(zba_layout::N_SUPER_WEIGHT); }
    float length() const { return f32(zba_layout::N_LENGTH); }
};

class zba_simple_t : public zba_view_t {
public:
    using zba_view_t::zba_view_t;
    uint32_t feature() const { return u32(zba_layout::S_FEATURE); }
    uint32_t state() const { return u32(zba_layout::S_STATE); }
    bool single_frame() const { return u8(zba_layout::S_SINGLE_FRAME) != 0; }
    zba_item_t item() const { return zba_item_t(m_image, m_offset + zba_layout::S_ITEM); }
};

class zba_info_t;

// A channel's items with the times and lengths they play at. A proportional animation
// plays once over its natural length times its length factor; the items that fall
// inside its span (its time plus the factor) stretch with it, and every later item
// moves by the difference. The durations of a file and the compiled programs both
// follow it, so a behaviour lasts as long as its program runs.
class zba_channel_walk_t {
public:
    zba_channel_walk_t(const zba_info_t &file, const zba_channel_t &channel);

    // Moves to the next item; false past the last one. An item of no known kind is
    // given once (with its own time and length 0) and ends the walk.
    bool next();
    const zba_item_t &item() const { return m_item; }
    // When the item plays, in seconds from the channel's start.
    float time() const { return m_time; }
    // An animation item: the seconds it plays; 0 for any other.
    float length() const { return m_length; }

private:
    const zba_info_t &m_file;
    zba_channel_t m_channel;
    zba_item_t m_item;
    uint32_t m_index = 0;
    uint32_t m_count = 0;
    float m_time = 0.0f;
    float m_length = 0.0f;
    float m_shift = 0.0f;  // what the spans closed so far added
    bool m_span = false;   // a proportional span is open
    float m_span_start = 0.0f, m_natural = 0.0f, m_factor = 0.0f, m_real = 0.0f;
};

class zba_info_t {
public:
    // A file with no block (is_null).
    zba_info_t() = default;
    // The block (as the parser built it) and, for a loaded resource, its runtime.
    explicit zba_info_t(uint8_t *image, zba_runtime_t *runtime = nullptr) : m_image(image), m_runtime(runtime) {}

    bool is_null() const { return m_image == nullptr; }
    uint8_t *image() const { return m_image; }
    uint32_t image_size() const;
    zba_runtime_t *runtime() const { return m_runtime; }

    const char *model_name() const;
    const char *model_path() const;

    uint32_t feature_count() const;
    zba_feature_t feature(uint32_t i) const;
    uint32_t attribute_count() const;
    zba_attribute_t attribute(uint32_t i) const;
    uint32_t animation_count() const;
    zba_animation_t animation(uint32_t i) const;
    uint32_t behavior_count() const;
    zba_behavior_t behavior(uint32_t i) const;
    uint32_t complex_count() const;
    zba_behavior_t complex_transition(uint32_t i) const;
    uint32_t simple_count() const;
    zba_simple_t simple_transition(uint32_t i) const;

    // Numbers by name, compared without regard to case; -2 when absent.
    int32_t find_behavior(const char *name) const;
    int32_t find_feature(const char *name) const;

    // Obtains the model descriptor and the natural length of every animation through
    // the source, then computes the durations. Logs "[zba_info_t::init] Can not
    // allocate model descriptor '%s'" or "[zba_info_t::init] Can not add animation
    // '%s' to model '%s'" (the animation's path and the descriptor's) and returns
    // false, holding nothing, when one cannot be had. A file without a runtime
    // lets go of the descriptor at once.
    bool init(zba_model_source_t *models);
    // The duration of every channel of every behaviour and complex transition from
    // the items and the natural lengths, and of each of those as its longest channel.
    void compute_durations();
    // Every natural length back to 1.0, the compiled programs and the model
    // descriptor let go.
    void unload();

    // The program of a behaviour (zba_compile.h), with a reference for the caller:
    // the one cached, or one compiled now and cached. Null (logged) when it does not
    // compile; a file without a runtime item cannot compile.
    c_item_ptr_t compiled_behavior(int32_t behavior) const;
    // The program of the transition from one behaviour to another: the one cached
    // under the pair; when none is and lists are given, one compiled from them
    // (complex transitions, then simple ones), cached when both numbers are
    // behaviours (not -1). Null when none is cached and no list is given.
    c_item_ptr_t compiled_transition(int32_t from, int32_t to, const int32_t *complex, uint32_t complex_count,
                                     const int32_t *simple, uint32_t simple_count) const;

private:
    uint32_t header(uint32_t field) const;
    uint32_t table_entry(uint32_t table_field, uint32_t count_field, uint32_t i) const;
    void set_f32(uint32_t at, float value);

    uint8_t *m_image = nullptr;
    zba_runtime_t *m_runtime = nullptr;
};

}  // namespace quarn
