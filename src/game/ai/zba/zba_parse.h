#pragma once
// zba_parser_t: the parser of behaviour files (docs/formats/zba.md), a recursive
// descent over the tokens of zba_scanner_t. It builds the file's block
// (zba_layout.h) in a buffer of its own, so that nothing of one load is seen by
// another and a failed load leaves nothing behind. Texts of one construct (an
// attribute declaration, one behaviour's attribute map, one item) pass through a
// small scratch, which is emptied when the construct ends.
//
// Every message reads "[zba parse] file:line ..." with the file and line of the token
// in hand; the first one ends the parse with failure.
#include <cstddef>
#include <cstdint>

#include "game/ai/zba/zba_layout.h"
#include "game/ai/zba/zba_scan.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/messages.h"

namespace quarn {

class zba_parser_t {
public:
    // The most entries of one list (features, states of a feature, attributes,
    // animations, behaviours, channels of a behaviour, complex and simple
    // transitions); more is "parser stack overflow". A state number is a byte of which
    // 255 means "no state", so a feature has at most 255 states.
    static constexpr uint32_t MAX_LIST = 256;
    static constexpr uint32_t MAX_STATES = 255;

    // A parser whose block and scratch hold at most the given bytes (tests make them
    // small to reach each overflow).
    explicit zba_parser_t(uint32_t image_capacity = zba_layout::IMAGE_CAPACITY,
                          uint32_t scratch_capacity = zba_layout::SCRATCH_CAPACITY);
    ~zba_parser_t();
    zba_parser_t(const zba_parser_t &) = delete;
    zba_parser_t &operator=(const zba_parser_t &) = delete;

    // Reads the virtual file at path whole and parses it, with its folder as the base
    // of relative paths. Logs "[zba parse] cannot open file %s", "... cannot allocate
    // buffer for stat file %s [%zu bytes]" or "... error reading from file %s" when
    // the file does not read.
    bool parse_file(const char *path);
    // Parses text[0, length) as the file named file_name (the base of relative paths
    // is its folder). True when the whole text was read and the block is complete.
    bool parse_text(const char *text, size_t length, const char *file_name);

    // The block of the last parse that succeeded; null otherwise.
    uint8_t *image() { return m_ok ? m_image : nullptr; }
    uint32_t image_size() const { return m_ok ? m_used : 0; }

    // The folder of a path: the text before its last "/" (at most 63 bytes); "" for
    // a path without one.
    static void folder_of(mstring_t &out, const char *path);

private:
    // An item, or the animation of a simple transition, while it is parsed.
    struct item_t {
        uint32_t kind = zba_layout::ITEM_ANIM;
        float time = 0.0f;
        float value = 1.0f;  // warp and weight
        int32_t animation = zba_layout::NONE;
        float length = 1.0f;
        float s_weight = 1.0f;
        float e_weight = 1.0f;
        uint32_t flags = 0;
        char text[zba_layout::ITEM_TEXT_BYTES] = {};
    };
    struct simple_t {
        uint32_t feature = 0;
        uint32_t state = 0;
        uint8_t single_frame = 0;
        item_t item;
    };

    bool run(zba_scanner_t &scanner, const char *base_dir);

    // Tokens.
    void advance();
    bool is(zba_token_kind_t kind) const { return m_tok.kind == kind; }
    bool expect(zba_token_kind_t kind);
    bool syntax_error();
    bool fail_token(const char *what);
    // "[zba parse] file:line " and the formatted text.
    bool fail_text(const char *format, ...) V_PRINTF(2, 3);

    // The block and the scratch.
    bool reserve(uint32_t bytes, const char *step, uint32_t &offset);
    bool put_text(const char *text, const char *step, uint32_t &offset);
    void put_u32(uint32_t offset, uint32_t value);
    void put_f32(uint32_t offset, float value);
    uint32_t get_u32(uint32_t offset) const;
    const char *text_at(uint32_t offset) const { return reinterpret_cast<const char *>(m_image + offset); }
    bool scratch_add(const char *text, const char *step, uint32_t &offset);
    const char *scratch_at(uint32_t offset) const { return m_scratch + offset; }
    bool push(array_dyn_t<uint32_t> &list, uint32_t value, uint32_t limit = MAX_LIST);
    bool put_table(const array_dyn_t<uint32_t> &list, const char *step, uint32_t count_field, uint32_t table_field);

    // Lookups among what is parsed so far (exact names); -1 when absent.
    int32_t find_feature(const char *name) const;
    int32_t find_state(uint32_t feature, const char *name) const;
    int32_t find_attribute(const char *name) const;
    int32_t find_animation(const char *name) const;

    // The grammar.
    template <class F>
    bool parse_named_list(F &&entry, bool one_at_least = false);
    bool parse_file_rule();
    bool parse_features();
    bool parse_feature();
    bool parse_attributes();
    bool parse_attribute();
    bool parse_animations();
    bool parse_animation();
    bool parse_behaviors();
    bool parse_behavior(array_dyn_t<uint32_t> &list);
    bool parse_attribute_map(uint32_t record);
    bool parse_pairs(uint32_t record);
    bool parse_channels(uint32_t record);
    bool parse_channel(array_dyn_t<uint32_t> &channels);
    bool parse_item(uint32_t channel, uint32_t &count);
    bool parse_time(float &seconds);
    bool parse_anim_property(item_t &item, bool &named);
    bool parse_transitions();
    bool parse_simple();
    bool write_simple_table();

    uint8_t *m_image = nullptr;
    uint32_t m_capacity;
    uint32_t m_used = 0;
    char *m_scratch = nullptr;
    uint32_t m_scratch_capacity;
    uint32_t m_scratch_used = 0;
    bool m_ok = false;
    bool m_failed = false;

    zba_scanner_t *m_scanner = nullptr;
    zba_token_t m_tok;
    string_fixed_t<zba_scanner_t::PATH_CHARS + 1> m_base_dir;

    array_dyn_t<uint32_t> m_features;
    array_dyn_t<uint32_t> m_attributes;
    array_dyn_t<uint32_t> m_animations;
    array_dyn_t<uint32_t> m_behaviors;
    array_dyn_t<uint32_t> m_complex;
    array_dyn_t<simple_t> m_simple;
};

}  // namespace quarn
