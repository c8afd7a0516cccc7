#include "game/ai/zba/zba_parse.h"

#include <strings.h>

#include <cstdarg>
#include <cstring>

#include "qrncore/spatial/le_bytes.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

using namespace zba_layout;
using tk = zba_token_kind_t;

namespace {

// Numbers inside value strings. Integers are decimal (leading zeros are no octal) or
// hexadecimal after "0x"; both, like decimals, read as much of the text as forms a
// number and give 0 when none does.
float value_decimal(const char *text) { return float(v_strtod(text, nullptr)); }

int32_t value_integer(const char *text) {
    const char *p = text;
    while (*p == ' ' || *p == '\t') ++p;
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    return v_strtol(text, nullptr, hex ? 16 : 10);
}

bool value_truth(const char *text) { return text[0] == 'T' || text[0] == 't' || text[0] == 'Y' || text[0] == 'y'; }

// Bytes of data texts as the log shows them: control and high bytes as \xNN.
void show(mstring_t &out, const char *text) {
    out.copy("");
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(text); *p; ++p) {
        if (*p >= 0x20 && *p < 0x7f)
            out.append(char(*p));
        else
            out.printf_append("\\x%02X", *p);
    }
}

using shown_t = string_fixed_t<4 * zba_token_t::TEXT_CHARS + 1>;

}  // namespace

zba_parser_t::zba_parser_t(uint32_t image_capacity, uint32_t scratch_capacity)
    : m_capacity(image_capacity), m_scratch_capacity(scratch_capacity) {
    m_image = static_cast<uint8_t *>(qrncore_system_new_vector(m_capacity ? m_capacity : 1));
    m_scratch = static_cast<char *>(qrncore_system_new_vector(m_scratch_capacity ? m_scratch_capacity : 1));
}

zba_parser_t::~zba_parser_t() {
    if (m_image) qrncore_system_delete_vector(m_image);
    if (m_scratch) qrncore_system_delete_vector(m_scratch);
}

void zba_parser_t::folder_of(mstring_t &out, const char *path) {
    const char *slash = strrchr(path, '/');
    string_fixed_t<zba_scanner_t::PATH_CHARS + 1> folder;
    for (const char *p = path; slash && p < slash && folder.append(*p); ++p) {
    }
    out.copy(folder.c_str());
}

bool zba_parser_t::parse_file(const char *path) {
    m_ok = false;
    zba_text_t text;
    switch (text.read(path)) {
        case zba_text_t::READ_OK: break;
        case zba_text_t::READ_CANNOT_OPEN: error("[zba parse] cannot open file %s", path); return false;
        case zba_text_t::READ_NO_MEMORY:
            error("[zba parse] cannot allocate buffer for stat file %s [%zu bytes]", path, text.wanted());
            return false;
        default: error("[zba parse] error reading from file %s", path); return false;
    }
    return parse_text(text.data(), text.size(), path);
}

bool zba_parser_t::parse_text(const char *text, size_t length, const char *file_name) {
    m_ok = false;
    string_fixed_t<zba_scanner_t::PATH_CHARS + 1> base;
    folder_of(base, file_name);
    zba_scanner_t scanner(text, length, file_name, base.c_str());
    m_ok = run(scanner, base.c_str());
    return m_ok;
}

bool zba_parser_t::run(zba_scanner_t &scanner, const char *base_dir) {
    m_scanner = &scanner;
    m_base_dir.copy(base_dir);
    m_used = 0;
    m_scratch_used = 0;
    m_failed = false;
    m_features.clear();
    m_attributes.clear();
    m_animations.clear();
    m_behaviors.clear();
    m_complex.clear();
    m_simple.clear();
    if (!m_image || !m_scratch) {
        error("[zba parse] cannot allocate buffer for %s [%zu bytes]", scanner.current().file,
              size_t(m_capacity) + m_scratch_capacity);
        return false;
    }
    advance();
    const bool ok = parse_file_rule() && !scanner.failed();
    m_scanner = nullptr;
    return ok;
}

// ---- tokens ----

void zba_parser_t::advance() { m_tok = m_scanner->next(); }

bool zba_parser_t::expect(zba_token_kind_t kind) {
    if (!is(kind)) return syntax_error();
    advance();
    return true;
}

bool zba_parser_t::syntax_error() {
    // The scanner has said why it stopped; the parser adds nothing.
    if (is(tk::STOP)) {
        m_failed = true;
        return false;
    }
    return fail_token("syntax error");
}

bool zba_parser_t::fail_token(const char *what) {
    if (is(tk::STOP)) {
        m_failed = true;
        return false;
    }
    shown_t token;
    show(token, m_tok.text);
    error("[zba parse] %s:%d %s [ token '%s' ]", m_tok.file, m_tok.line, what, token.c_str());
    m_failed = true;
    return false;
}

bool zba_parser_t::fail_text(const char *format, ...) {
    string_fixed_t<1024> line;
    line.printf("[zba parse] %s:%d ", m_tok.file, m_tok.line);
    va_list args;
    va_start(args, format);
    line.vprintf_append(format, args);
    va_end(args);
    error("%s", line.c_str());
    m_failed = true;
    return false;
}

// ---- the block and the scratch ----

bool zba_parser_t::reserve(uint32_t bytes, const char *step, uint32_t &offset) {
    if (bytes > m_capacity - m_used) {
        string_fixed_t<96> what;
        what.printf("INTERNAL: tbuf overflow [%s]", step);
        return fail_token(what.c_str());
    }
    offset = m_used;
    memset(m_image + m_used, 0, bytes);
    m_used += bytes;
    return true;
}

bool zba_parser_t::put_text(const char *text, const char *step, uint32_t &offset) {
    const uint32_t n = uint32_t(strlen(text)) + 1;
    if (!reserve(n, step, offset)) return false;
    memcpy(m_image + offset, text, n);
    return true;
}

void zba_parser_t::put_u32(uint32_t offset, uint32_t value) { le_bytes::put_u32(m_image + offset, value); }
void zba_parser_t::put_f32(uint32_t offset, float value) { le_bytes::put_f32(m_image + offset, value); }
uint32_t zba_parser_t::get_u32(uint32_t offset) const { return le_bytes::get_u32(m_image + offset); }

bool zba_parser_t::scratch_add(const char *text, const char *step, uint32_t &offset) {
    const uint32_t n = uint32_t(strlen(text)) + 1;
    if (n > m_scratch_capacity - m_scratch_used) {
        if (!step) return fail_token("INTERNAL: sbuf overflow");
        string_fixed_t<96> what;
        what.printf("INTERNAL: sbuf overflow [%s]", step);
        return fail_token(what.c_str());
    }
    offset = m_scratch_used;
    memcpy(m_scratch + offset, text, n);
    m_scratch_used += n;
    return true;
}

bool zba_parser_t::push(array_dyn_t<uint32_t> &list, uint32_t value, uint32_t limit) {
    if (list.get_count() >= limit || !list.append(value)) return fail_token("parser stack overflow");
    return true;
}

bool zba_parser_t::put_table(const array_dyn_t<uint32_t> &list, const char *step, uint32_t count_field,
                             uint32_t table_field) {
    const uint32_t n = list.get_count();
    put_u32(count_field, n);
    if (n == 0) return true;
    uint32_t table;
    if (!reserve(4 * n, step, table)) return false;
    for (uint32_t i = 0; i < n; ++i) put_u32(table + 4 * i, list[i]);
    put_u32(table_field, table);
    return true;
}

// ---- lookups ----

int32_t zba_parser_t::find_feature(const char *name) const {
    for (uint32_t i = 0; i < m_features.get_count(); ++i)
        if (strcmp(text_at(get_u32(m_features[i] + F_NAME)), name) == 0) return int32_t(i);
    return -1;
}

int32_t zba_parser_t::find_state(uint32_t feature, const char *name) const {
    const uint32_t record = m_features[feature];
    const uint32_t count = get_u32(record + F_STATE_COUNT);
    const uint32_t names = get_u32(record + F_STATE_NAMES);
    for (uint32_t i = 0; i < count; ++i)
        if (strcmp(text_at(get_u32(names + 4 * i)), name) == 0) return int32_t(i);
    return -1;
}

int32_t zba_parser_t::find_attribute(const char *name) const {
    for (uint32_t i = 0; i < m_attributes.get_count(); ++i)
        if (strcmp(text_at(get_u32(m_attributes[i] + A_NAME)), name) == 0) return int32_t(i);
    return -1;
}

int32_t zba_parser_t::find_animation(const char *name) const {
    for (uint32_t i = 0; i < m_animations.get_count(); ++i)
        if (strcmp(text_at(get_u32(m_animations[i] + N_NAME)), name) == 0) return int32_t(i);
    return -1;
}

// ---- file ----

bool zba_parser_t::parse_file_rule() {
    uint32_t header;
    if (!reserve(HEADER_SIZE, "input:1a", header)) return false;
    put_u32(H_MAGIC, MAGIC);
    if (!is(tk::STRING)) return syntax_error();
    char name[zba_token_t::TEXT_CHARS + 1];
    memcpy(name, m_tok.text, sizeof name);
    advance();
    if (!expect(tk::COLON)) return false;
    if (!is(tk::STRING)) return syntax_error();
    string_fixed_t<zba_scanner_t::PATH_CHARS + 1> path;
    zba_scanner_t::absolute_path(path, m_tok.text, m_base_dir.c_str());
    uint32_t text;
    if (!put_text(name, "input:1a", text)) return false;
    put_u32(H_MODEL_NAME, text);
    if (!put_text(path.c_str(), "input:1a", text)) return false;
    put_u32(H_MODEL_PATH, text);
    advance();
    if (!expect(tk::LBRACE)) return false;

    bool features = false, attributes = false;
    while (is(tk::FEATURES) || is(tk::ATTRIBUTES)) {
        if (is(tk::FEATURES)) {
            if (features) return fail_token("features already defined");
            features = true;
            if (!parse_features()) return false;
        } else {
            if (attributes) return fail_token("attributes already defined");
            attributes = true;
            if (!parse_attributes()) return false;
        }
    }
    if (!features && !attributes) return syntax_error();

    if (!is(tk::ANIMATIONS)) return syntax_error();
    if (!parse_animations()) return false;
    if (is(tk::ANIMATIONS)) return fail_token("animations already defined");

    if (!is(tk::BEHAVIORS)) return syntax_error();
    if (!parse_behaviors()) return false;
    if (is(tk::BEHAVIORS)) return fail_token("behaviors already defined");

    if (is(tk::TRANSITIONS) && !parse_transitions()) return false;
    if (!expect(tk::RBRACE)) return false;
    if (!is(tk::END)) return syntax_error();
    if (!write_simple_table()) return false;
    put_u32(H_SIZE, m_used);
    return true;
}

// ---- lists ----

// The keyword of a list, then "{", named entries each read by `entry`, "}". With
// one_at_least an empty list is a syntax error.
template <class F>
bool zba_parser_t::parse_named_list(F &&entry, bool one_at_least) {
    advance();
    if (!expect(tk::LBRACE)) return false;
    if (one_at_least && !is(tk::STRING)) return syntax_error();
    while (is(tk::STRING))
        if (!entry()) return false;
    return expect(tk::RBRACE);
}

// ---- features ----

bool zba_parser_t::parse_features() {
    if (!parse_named_list([this] { return parse_feature(); })) return false;
    return put_table(m_features, "meta_features:1a", H_FEATURE_COUNT, H_FEATURE_TABLE);
}

bool zba_parser_t::parse_feature() {
    if (find_feature(m_tok.text) >= 0) {
        shown_t name;
        show(name, m_tok.text);
        return fail_text("feature '%s' already defined", name.c_str());
    }
    uint32_t record, text;
    if (!reserve(FEATURE_SIZE, "meta_feature:1a", record)) return false;
    if (!push(m_features, record)) return false;
    if (!put_text(m_tok.text, "meta_features:1d", text)) return false;
    put_u32(record + F_NAME, text);
    advance();
    if (!expect(tk::LBRACE)) return false;

    array_dyn_t<uint32_t> states;
    while (is(tk::STRING)) {
        for (uint32_t i = 0; i < states.get_count(); ++i) {
            if (strcmp(text_at(states[i]), m_tok.text) == 0) {
                shown_t feature, state;
                show(feature, text_at(get_u32(record + F_NAME)));
                show(state, m_tok.text);
                return fail_text("feature '%s' state '%s' already defined", feature.c_str(), state.c_str());
            }
        }
        if (!put_text(m_tok.text, "meta_feature:1b", text)) return false;
        if (!push(states, text, MAX_STATES)) return false;
        advance();
    }
    if (states.get_count() == 0) return syntax_error();
    if (!expect(tk::RBRACE)) return false;

    const uint32_t n = states.get_count();
    uint32_t names, simple;
    if (!reserve(4 * n, "meta_features:1b", names)) return false;
    for (uint32_t i = 0; i < n; ++i) put_u32(names + 4 * i, states[i]);
    if (!reserve(4 * n, "meta_features:1c", simple)) return false;
    for (uint32_t i = 0; i < n; ++i) put_u32(simple + 4 * i, uint32_t(NONE));
    put_u32(record + F_STATE_COUNT, n);
    put_u32(record + F_STATE_NAMES, names);
    put_u32(record + F_STATE_SIMPLE, simple);
    return true;
}

// ---- attributes ----

bool zba_parser_t::parse_attributes() {
    if (!parse_named_list([this] { return parse_attribute(); }, true)) return false;
    return put_table(m_attributes, "meta_attributes:1a", H_ATTRIBUTE_COUNT, H_ATTRIBUTE_TABLE);
}

bool zba_parser_t::parse_attribute() {
    m_scratch_used = 0;
    uint32_t name, type_text, init = UINT32_MAX;
    if (find_attribute(m_tok.text) >= 0) {
        shown_t shown;
        show(shown, m_tok.text);
        return fail_text("attribute '%s' already defined", shown.c_str());
    }
    if (!scratch_add(m_tok.text, "meta attribute:1a", name)) return false;
    advance();
    if (!expect(tk::COLON)) return false;
    if (!is(tk::STRING)) return syntax_error();
    if (!scratch_add(m_tok.text, "meta_attributes:1b", type_text)) return false;
    uint32_t type;
    if (strcasecmp(m_tok.text, "float") == 0) {
        type = ATTR_FLOAT;
    } else if (strcasecmp(m_tok.text, "int") == 0) {
        type = ATTR_INT;
    } else if (strcasecmp(m_tok.text, "string") == 0) {
        type = ATTR_STRING;
    } else {
        shown_t shown;
        show(shown, m_tok.text);
        return fail_text("unknown attribute type '%s'", shown.c_str());
    }
    advance();
    if (!expect(tk::LBRACE)) return false;
    while (is(tk::INIT)) {
        advance();
        if (!expect(tk::COLON)) return false;
        if (!is(tk::STRING)) return syntax_error();
        if (!scratch_add(m_tok.text, "meta attribute_prop:1a", init)) return false;
        advance();
    }
    if (!expect(tk::RBRACE)) return false;

    uint32_t record, text;
    if (!reserve(ATTRIBUTE_SIZE, "meta_attribute:1a", record)) return false;
    if (!push(m_attributes, record)) return false;
    if (!put_text(scratch_at(name), "meta_attribute:1b", text)) return false;
    put_u32(record + A_NAME, text);
    put_u32(record + A_TYPE, type);
    const char *value = init == UINT32_MAX ? "" : scratch_at(init);
    if (type == ATTR_FLOAT) {
        put_f32(record + A_DEFAULT, value_decimal(value));
    } else if (type == ATTR_INT) {
        put_u32(record + A_DEFAULT, uint32_t(value_integer(value)));
    } else {
        if (!put_text(value, "meta_attributes:1b", text)) return false;
        put_u32(record + A_DEFAULT, text);
    }
    m_scratch_used = 0;
    return true;
}

// ---- animations ----

bool zba_parser_t::parse_animations() {
    if (!parse_named_list([this] { return parse_animation(); })) return false;
    return put_table(m_animations, "animations:1a", H_ANIMATION_COUNT, H_ANIMATION_TABLE);
}

bool zba_parser_t::parse_animation() {
    if (find_animation(m_tok.text) >= 0) {
        shown_t shown;
        show(shown, m_tok.text);
        return fail_text("animation '%s' already defined", shown.c_str());
    }
    char name[zba_token_t::TEXT_CHARS + 1];
    memcpy(name, m_tok.text, sizeof name);
    advance();
    if (!expect(tk::COLON)) return false;
    if (!is(tk::STRING)) return syntax_error();
    string_fixed_t<zba_scanner_t::PATH_CHARS + 1> path;
    zba_scanner_t::absolute_path(path, m_tok.text, m_base_dir.c_str());
    advance();
    int32_t priority = 0;
    float super_weight = 1.0f;
    if (is(tk::LBRACE)) {
        advance();
        while (is(tk::PRIORITY) || is(tk::SUPER_WEIGHT)) {
            const bool is_priority = is(tk::PRIORITY);
            advance();
            if (!expect(tk::COLON)) return false;
            if (!is(tk::STRING)) return syntax_error();
            if (is_priority)
                priority = value_integer(m_tok.text);
            else
                super_weight = value_decimal(m_tok.text);
            advance();
        }
        if (!expect(tk::RBRACE)) return false;
    }
    uint32_t record, text;
    if (!reserve(ANIMATION_SIZE, "animation_header:1a", record)) return false;
    if (!push(m_animations, record)) return false;
    if (!put_text(name, "animation_header:1b", text)) return false;
    put_u32(record + N_NAME, text);
    if (!put_text(path.c_str(), "animation_header:1b", text)) return false;
    put_u32(record + N_PATH, text);
    put_u32(record + N_PRIORITY, uint32_t(priority));
    put_f32(record + N_SUPER_WEIGHT, super_weight);
    put_f32(record + N_LENGTH, 1.0f);
    return true;
}

// ---- behaviours ----

bool zba_parser_t::parse_behaviors() {
    if (!parse_named_list([this] { return parse_behavior(m_behaviors); })) return false;
    return put_table(m_behaviors, "behavior_header:1c", H_BEHAVIOR_COUNT, H_BEHAVIOR_TABLE);
}

bool zba_parser_t::parse_behavior(array_dyn_t<uint32_t> &list) {
    const uint32_t features = m_features.get_count();
    const uint32_t attributes = m_attributes.get_count();
    const uint32_t size = behavior_size(features, attributes);
    uint32_t record, text;
    if (!reserve(size, "behavior_header:1a", record)) return false;
    if (!push(list, record)) return false;
    put_u32(record + B_SIZE, size);
    memset(m_image + record + BEHAVIOR_FIXED, NO_STATE, 2 * features);
    const uint32_t values = record + BEHAVIOR_FIXED + pairs_size(features);
    for (uint32_t i = 0; i < attributes; ++i) put_u32(values + 4 * i, get_u32(m_attributes[i] + A_DEFAULT));
    if (!put_text(m_tok.text, "behavior_header:1b", text)) return false;
    put_u32(record + B_NAME, text);
    advance();
    if (!expect(tk::LBRACE)) return false;

    // The three blocks, each optional, in this order.
    static const char *const names[3] = {"attributes", "features", "channels"};
    int32_t last = -1;
    for (;;) {
        int32_t block = is(tk::ATTRIBUTES) ? 0 : is(tk::FEATURES) ? 1 : is(tk::CHANNELS) ? 2 : -1;
        if (block < 0) break;
        if (block == last) {
            string_fixed_t<40> what;
            what.printf("%s already defined", names[block]);
            return fail_token(what.c_str());
        }
        if (block < last) return syntax_error();
        last = block;
        const bool ok = block == 0 ? parse_attribute_map(record) : block == 1 ? parse_pairs(record)
                                                                                : parse_channels(record);
        if (!ok) return false;
    }
    return expect(tk::RBRACE);
}

bool zba_parser_t::parse_attribute_map(uint32_t record) {
    advance();  // "attributes"
    if (!expect(tk::LBRACE)) return false;
    m_scratch_used = 0;
    struct entry_t {
        uint32_t attribute;
        uint32_t text;
    };
    array_dyn_t<entry_t> entries;
    while (is(tk::STRING)) {
        const int32_t a = find_attribute(m_tok.text);
        if (a < 0) {
            shown_t shown;
            show(shown, m_tok.text);
            return fail_text("attribute '%s' not found", shown.c_str());
        }
        advance();
        if (!expect(tk::COLON)) return false;
        if (!is(tk::STRING)) return syntax_error();
        entry_t e{uint32_t(a), 0};
        if (!scratch_add(m_tok.text, "attribute_map:1a", e.text)) return false;
        // Entries are bounded by the scratch: each takes at least its terminator.
        if (!entries.append(e)) return fail_token("parser stack overflow");
        advance();
    }
    if (!expect(tk::RBRACE)) return false;

    const uint32_t values = record + BEHAVIOR_FIXED + pairs_size(m_features.get_count());
    for (uint32_t i = 0; i < entries.get_count(); ++i) {
        const uint32_t a = entries[i].attribute;
        const char *value = scratch_at(entries[i].text);
        switch (get_u32(m_attributes[a] + A_TYPE)) {
            case ATTR_FLOAT: put_f32(values + 4 * a, value_decimal(value)); break;
            case ATTR_INT: put_u32(values + 4 * a, uint32_t(value_integer(value))); break;
            default: {
                uint32_t text;
                if (!put_text(value, "attribute_map:1b", text)) return false;
                put_u32(values + 4 * a, text);
            }
        }
    }
    m_scratch_used = 0;
    return true;
}

bool zba_parser_t::parse_pairs(uint32_t record) {
    advance();  // "features"
    if (!expect(tk::LBRACE)) return false;
    auto state_of = [&](uint32_t feature, int32_t &state) {
        state = find_state(feature, m_tok.text);
        if (state >= 0) return true;
        shown_t shown;
        show(shown, m_tok.text);
        return fail_text("unknown state '%s'", shown.c_str());
    };
    while (is(tk::STRING)) {
        const int32_t f = find_feature(m_tok.text);
        if (f < 0) {
            shown_t shown;
            show(shown, m_tok.text);
            return fail_text("unknown feature '%s'", shown.c_str());
        }
        advance();
        if (!expect(tk::COLON)) return false;
        int32_t from = NO_STATE, to = NO_STATE;
        if (is(tk::ARROW)) {
            advance();
            if (!is(tk::STRING)) return syntax_error();
            if (!state_of(uint32_t(f), to)) return false;
            put_u32(record + B_FLAGS, get_u32(record + B_FLAGS) | BEHAVIOR_FROM_ANY);
            advance();
        } else if (is(tk::STRING)) {
            if (!state_of(uint32_t(f), from)) return false;
            advance();
            if (is(tk::DOT)) {
                to = from;
                advance();
            } else if (is(tk::ARROW)) {
                advance();
                if (!is(tk::STRING)) return syntax_error();
                if (!state_of(uint32_t(f), to)) return false;
                advance();
            } else {
                return syntax_error();
            }
        } else {
            return syntax_error();
        }
        m_image[record + BEHAVIOR_FIXED + 2 * uint32_t(f)] = uint8_t(from);
        m_image[record + BEHAVIOR_FIXED + 2 * uint32_t(f) + 1] = uint8_t(to);
    }
    return expect(tk::RBRACE);
}

bool zba_parser_t::parse_channels(uint32_t record) {
    array_dyn_t<uint32_t> channels;
    if (!parse_named_list([&] { return parse_channel(channels); })) return false;
    return put_table(channels, "channels:1a", record + B_CHANNEL_COUNT, record + B_CHANNEL_TABLE);
}

bool zba_parser_t::parse_channel(array_dyn_t<uint32_t> &channels) {
    uint32_t record, text;
    if (!reserve(CHANNEL_SIZE, "channel_header:1a", record)) return false;
    if (!push(channels, record)) return false;
    if (!put_text(m_tok.text, "channel_header:1a", text)) return false;
    put_u32(record + C_NAME, text);
    put_f32(record + C_PROBABILITY, -1.0f);
    advance();
    if (!expect(tk::LBRACE)) return false;
    while (is(tk::PROBABILITY)) {
        advance();
        if (!expect(tk::COLON)) return false;
        if (!is(tk::STRING)) return syntax_error();
        put_f32(record + C_PROBABILITY, value_decimal(m_tok.text));
        advance();
    }
    uint32_t count = 0;
    while (is(tk::INTEGER) || is(tk::DECIMAL))
        if (!parse_item(record, count)) return false;
    put_u32(record + C_ITEM_COUNT, count);
    return expect(tk::RBRACE);
}

bool zba_parser_t::parse_time(float &seconds) {
    // TIME: seconds, or whole minutes ":" seconds.
    const bool whole = is(tk::INTEGER);
    double value = whole ? double(m_tok.integer) : m_tok.decimal;
    advance();
    if (is(tk::COLON)) {
        if (!whole) return syntax_error();
        advance();
        if (!is(tk::INTEGER) && !is(tk::DECIMAL)) return syntax_error();
        value = value * 60.0 + (is(tk::INTEGER) ? double(m_tok.integer) : m_tok.decimal);
        advance();
    }
    seconds = float(value);
    return true;
}

bool zba_parser_t::parse_anim_property(item_t &item, bool &named) {
    // The token in hand is the property's keyword; the value follows its colon.
    const zba_token_kind_t property = m_tok.kind;
    advance();
    if (!expect(tk::COLON)) return false;
    if (!is(tk::STRING)) return syntax_error();
    uint32_t at;
    if (!scratch_add(m_tok.text, nullptr, at)) return false;
    const char *value = scratch_at(at);
    switch (property) {
        case tk::ANIM: {
            item.animation = find_animation(value);
            if (item.animation < 0) {
                shown_t shown;
                show(shown, value);
                return fail_text("animation '%s' not found", shown.c_str());
            }
            named = true;
            break;
        }
        case tk::LENGTH:
            item.length = value_decimal(value);
            // A length of 0 or less would divide by zero in the compiled slope and speed.
            if (!(item.length > 0.0f)) return fail_token("length must be above 0");
            break;
        case tk::S_WEIGHT: item.s_weight = value_decimal(value); break;
        case tk::E_WEIGHT: item.e_weight = value_decimal(value); break;
        case tk::PROPORTIONAL:
            item.flags = value_truth(value) ? item.flags | ANIM_PROPORTIONAL : item.flags & ~ANIM_PROPORTIONAL;
            break;
        default: return syntax_error();
    }
    advance();
    return true;
}

bool zba_parser_t::parse_item(uint32_t channel, uint32_t &count) {
    item_t item;
    if (!parse_time(item.time)) return false;
    zba_token_kind_t property;  // the one keyword of a kind that carries one value
    switch (m_tok.kind) {
        case tk::ANIM: item.kind = ITEM_ANIM; property = tk::END; break;
        case tk::WEIGHT: item.kind = ITEM_WEIGHT; property = tk::WEIGHT; break;
        case tk::WARP: item.kind = ITEM_WARP; property = tk::WARP; break;
        case tk::INFO: item.kind = ITEM_INFO; property = tk::INFO; break;
        case tk::SOUND: item.kind = ITEM_SOUND; property = tk::SOUND; break;
        default: return syntax_error();
    }
    advance();
    if (!expect(tk::LBRACE)) return false;
    m_scratch_used = 0;
    bool named = false;
    uint32_t properties = 0;
    for (;; ++properties) {
        if (item.kind == ITEM_ANIM && (is(tk::ANIM) || is(tk::LENGTH) || is(tk::S_WEIGHT) || is(tk::E_WEIGHT) ||
                                       is(tk::PROPORTIONAL))) {
            if (!parse_anim_property(item, named)) return false;
            continue;
        }
        if (item.kind == ITEM_ANIM || !is(property)) break;
        advance();
        if (!expect(tk::COLON)) return false;
        if (!is(tk::STRING)) return syntax_error();
        uint32_t at;
        if (!scratch_add(m_tok.text, nullptr, at)) return false;
        if (item.kind == ITEM_INFO || item.kind == ITEM_SOUND) {
            memset(item.text, 0, sizeof item.text);
            memcpy(item.text, scratch_at(at), strlen(scratch_at(at)));
        } else {
            item.value = value_decimal(scratch_at(at));
        }
        advance();
    }
    // Every item has a property, and an animation item names its animation.
    if (properties == 0 || (item.kind == ITEM_ANIM && !named)) return syntax_error();
    if (!expect(tk::RBRACE)) return false;
    m_scratch_used = 0;

    uint32_t at;
    if (!reserve(item_size(item.kind), "behavior_header:1d", at)) return false;
    if (count++ == 0) put_u32(channel + C_FIRST_ITEM, at);
    put_u32(at + I_KIND, item.kind);
    put_f32(at + I_TIME, item.time);
    switch (item.kind) {
        case ITEM_ANIM:
            put_u32(at + I_ANIMATION, uint32_t(item.animation));
            put_f32(at + I_LENGTH, item.length);
            put_f32(at + I_S_WEIGHT, item.s_weight);
            put_f32(at + I_E_WEIGHT, item.e_weight);
            put_u32(at + I_FLAGS, item.flags);
            break;
        case ITEM_INFO:
        case ITEM_SOUND: memcpy(m_image + at + I_TEXT, item.text, ITEM_TEXT_BYTES); break;
        default: put_f32(at + I_VALUE, item.value);
    }
    return true;
}

// ---- transitions ----

bool zba_parser_t::parse_transitions() {
    advance();  // "transitions"
    if (!expect(tk::LBRACE)) return false;
    if (!is(tk::SIMPLE)) return syntax_error();
    advance();
    if (!expect(tk::LBRACE)) return false;
    if (!is(tk::STRING)) return syntax_error();
    while (is(tk::STRING))
        if (!parse_simple()) return false;
    if (!expect(tk::RBRACE)) return false;
    if (is(tk::COMPLEX)) {
        advance();
        if (!expect(tk::LBRACE)) return false;
        if (!is(tk::STRING)) return syntax_error();
        while (is(tk::STRING))
            if (!parse_behavior(m_complex)) return false;
        if (!expect(tk::RBRACE)) return false;
        if (!put_table(m_complex, "complex_transitions:1a", H_COMPLEX_COUNT, H_COMPLEX_TABLE)) return false;
        if (is(tk::COMPLEX)) return fail_token("transitions.complex already defined");
    }
    return expect(tk::RBRACE);
}

bool zba_parser_t::parse_simple() {
    const int32_t f = find_feature(m_tok.text);
    if (f < 0) {
        shown_t shown;
        show(shown, m_tok.text);
        return fail_text("unknown feature '%s'", shown.c_str());
    }
    advance();
    if (!expect(tk::COLON)) return false;
    if (!is(tk::STRING)) return syntax_error();
    const int32_t s = find_state(uint32_t(f), m_tok.text);
    if (s < 0) {
        shown_t shown;
        show(shown, m_tok.text);
        return fail_text("unknown state '%s'", shown.c_str());
    }
    const uint32_t record = m_features[uint32_t(f)];
    const uint32_t slot = get_u32(record + F_STATE_SIMPLE) + 4 * uint32_t(s);
    if (int32_t(get_u32(slot)) != NONE) {
        shown_t feature, state;
        show(feature, text_at(get_u32(record + F_NAME)));
        show(state, m_tok.text);
        return fail_text("simple transition for '%s':'%s' was already defined", feature.c_str(), state.c_str());
    }
    if (m_simple.get_count() >= MAX_LIST) return fail_token("parser stack overflow");
    advance();
    if (!expect(tk::LBRACE)) return false;

    simple_t simple;
    simple.feature = uint32_t(f);
    simple.state = uint32_t(s);
    m_scratch_used = 0;
    bool named = false;
    uint32_t properties = 0;
    for (;; ++properties) {
        if (is(tk::ANIM) || is(tk::LENGTH) || is(tk::S_WEIGHT) || is(tk::E_WEIGHT) || is(tk::PROPORTIONAL)) {
            if (!parse_anim_property(simple.item, named)) return false;
        } else if (is(tk::SINGLE_FRAME)) {
            advance();
            if (!expect(tk::COLON)) return false;
            if (!is(tk::STRING)) return syntax_error();
            uint32_t at;
            if (!scratch_add(m_tok.text, nullptr, at)) return false;
            simple.single_frame = value_truth(scratch_at(at)) ? 1 : 0;
            advance();
        } else {
            break;
        }
    }
    if (properties == 0) return syntax_error();
    if (!expect(tk::RBRACE)) return false;
    m_scratch_used = 0;
    if (!m_simple.append(simple)) return fail_token("parser stack overflow");
    put_u32(slot, m_simple.get_count() - 1);
    return true;
}

bool zba_parser_t::write_simple_table() {
    const uint32_t n = m_simple.get_count();
    put_u32(H_SIMPLE_COUNT, n);
    if (n == 0) return true;
    uint32_t table;
    if (!reserve(SIMPLE_SIZE * n, "input:1b", table)) return false;
    put_u32(H_SIMPLE_TABLE, table);
    for (uint32_t i = 0; i < n; ++i) {
        const simple_t &s = m_simple[i];
        const uint32_t at = table + SIMPLE_SIZE * i;
        put_u32(at + S_FEATURE, s.feature);
        put_u32(at + S_STATE, s.state);
        m_image[at + S_SINGLE_FRAME] = s.single_frame;
        const uint32_t item = at + S_ITEM;
        put_u32(item + I_KIND, ITEM_ANIM);
        put_f32(item + I_TIME, 0.0f);
        put_u32(item + I_ANIMATION, uint32_t(s.item.animation));
        put_f32(item + I_LENGTH, s.item.length);
        put_f32(item + I_S_WEIGHT, s.item.s_weight);
        put_f32(item + I_E_WEIGHT, s.item.e_weight);
        put_u32(item + I_FLAGS, s.item.flags);
    }
    return true;
}

}  // namespace quarn
