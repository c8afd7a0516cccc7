#pragma once
// zba_scanner_t: the scanner of behaviour files (docs/formats/zba.md). It turns the
// bytes of one load into tokens, one per call, and follows `@include "path"` through a
// stack of at most 10 included files. All of its state belongs to the one load that
// made it: a load started while another scans (a nested load) has a scanner of its
// own, and a failed load leaves nothing open behind it.
//
// Messages are tagged "[zba scan]" and carry the file and line. Unknown characters and
// over-long strings are reported and scanning goes on; an unterminated string, an
// include that cannot be read and an include nested too deeply stop the scan: the
// scanner then answers STOP and failed() is true.
#include <cstddef>
#include <cstdint>

#include "game/ai/zba/zba_text.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

enum class zba_token_kind_t : uint8_t {
    END,   // the top-level file is read to its end
    STOP,  // the scan stopped on an error it has reported
    STRING,
    INTEGER,
    DECIMAL,
    LBRACE,
    RBRACE,
    COLON,
    DOT,
    ARROW,
    // Keywords, in the order of zba_keyword_names.
    FEATURES,
    ATTRIBUTES,
    INIT,
    ANIMATIONS,
    PRIORITY,
    SUPER_WEIGHT,
    BEHAVIORS,
    CHANNELS,
    PROBABILITY,
    ANIM,
    S_WEIGHT,
    E_WEIGHT,
    LENGTH,
    PROPORTIONAL,
    WEIGHT,
    WARP,
    INFO,
    SOUND,
    TRANSITIONS,
    SIMPLE,
    COMPLEX,
    SINGLE_FRAME,
};

inline constexpr uint32_t ZBA_KEYWORD_COUNT = 22;
// The keywords as written, lower case.
extern const char *const zba_keyword_names[ZBA_KEYWORD_COUNT];
// The keyword of a kind, or null for a kind that is none.
const char *zba_keyword_name(zba_token_kind_t kind);

struct zba_token_t {
    // Longest text a token keeps; a string of more is cut to this.
    static constexpr uint32_t TEXT_CHARS = 63;

    zba_token_kind_t kind = zba_token_kind_t::END;
    // A string's bytes without the quotes, a number's digits as written (cut like a
    // string, the value is read in full), a keyword or the punctuation.
    char text[TEXT_CHARS + 1] = {};
    // INTEGER: decimal digits (leading zeros are no octal), or "0x" and hexadecimal
    // digits; saturates at 0xFFFFFFFF. DECIMAL: the value.
    uint32_t integer = 0;
    double decimal = 0.0;
    // Where the token begins. The file name lives as long as the scanner.
    const char *file = "";
    int32_t line = 0;
};

class zba_scanner_t {
public:
    static constexpr uint32_t MAX_INCLUDE_DEPTH = 10;
    // Longest path an include or a relative path of the file becomes; longer results
    // are cut.
    static constexpr uint32_t PATH_CHARS = 63;

    // Scans text[0, length) as the file named file_name, from line 1. The text is not
    // copied and must outlive the scanner. Relative include paths resolve against
    // base_dir (the folder of the top-level file; "" for the root).
    zba_scanner_t(const char *text, size_t length, const char *file_name, const char *base_dir);
    ~zba_scanner_t();
    zba_scanner_t(const zba_scanner_t &) = delete;
    zba_scanner_t &operator=(const zba_scanner_t &) = delete;

    // The next token; after END or STOP every call answers the same again.
    const zba_token_t &next();
    // The token next() answered last.
    const zba_token_t &current() const { return m_token; }

    // True once an error that fails the load was reported.
    bool failed() const { return m_failed; }
    // Includes open now (0 while the top-level file scans).
    uint32_t depth() const { return m_depth; }

    // The absolute form of a path of the file: unchanged when it begins with "/",
    // else base_dir + "/" + path; cut to PATH_CHARS.
    static void absolute_path(mstring_t &out, const char *path, const char *base_dir);

private:
    struct frame_t {
        const char *text = nullptr;
        size_t length = 0;
        size_t pos = 0;
        const char *file = "";
        int32_t line = 1;
    };

    frame_t &top() { return m_frames[m_depth]; }
    // Skips blanks, line ends and comments; false at the end of the frame's text.
    bool skip_space();
    void scan_string();
    void scan_number();
    void scan_word();
    // Handles "@include" at the frame's position. False when the bytes there are no
    // include directive (then '@' is an unknown character).
    bool try_include();
    void push_include(const char *path, int32_t line);
    void stop();
    void report_unknown(const char *bytes, size_t count);
    const char *keep_name(const char *name);
    void set_text(const char *bytes, size_t count);

    frame_t m_frames[MAX_INCLUDE_DEPTH + 1];
    zba_text_t m_texts[MAX_INCLUDE_DEPTH + 1];  // [1..depth]: the included files
    uint32_t m_depth = 0;
    bool m_failed = false;
    bool m_done = false;
    zba_token_t m_token;
    string_dyn_t<> m_base_dir;
    // Every file name a token may point at, kept until the scanner goes.
    array_dyn_t<string_dyn_t<>> m_names;
};

}  // namespace quarn
