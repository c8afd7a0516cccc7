#pragma once
// The scanner of unit files: cuts the text of one load into tokens, one requested
// kind at a time, skipping blanks, line ends and comments, and follows include lines
// into the files they name. Its state (the include stack and the texts) belongs to the
// load that owns it, so a load started from inside another load does not disturb it.
// Every refused token is reported with the reader's location lines and "Expecting %s,
// found '%s'"; the caller only learns false.
#include <cstdint>
#include <cstring>

#include "qrncore/api.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_file_opener.h"
#include "qrncore/units/unit_name.h"

namespace quarn {

class unit_scanner_t {
public:
    // Includes deeper than this are refused, so a chain of files that includes itself
    // ends.
    static constexpr uint32_t MAX_INCLUDE_DEPTH = 16;

    // realm: that of the top-level file; absolute include names are allowed in 1.
    unit_scanner_t(unit_file_opener_t &opener, uint32_t realm);
    ~unit_scanner_t();
    unit_scanner_t(const unit_scanner_t &) = delete;
    unit_scanner_t &operator=(const unit_scanner_t &) = delete;

    // Zero bytes after the last byte of every text: the scanner may load a whole word
    // of bytes at any position up to the end of a text.
    static constexpr uint32_t TEXT_PADDING = 16;

    // Starts on the top-level text (size bytes followed by TEXT_PADDING zero bytes, from
    // the host's vector allocation), which the scanner frees.
    void start(const char *path, char *text, uint64_t size);
    // Frees every text.
    void reset();

    // The modes. Each skips what lies before its token first.
    bool magic();
    bool expect(char c, const char *word);
    // An identifier (1; its bytes at start, length of them), "}" (0), or an error (-1).
    // The bytes stay valid until reset: texts of included files are kept until then.
    int identifier_or_close(const char *&start, uint32_t &length, const char *word);
    // An identifier that is likely to be one known word (an attribute name in table
    // order), made by expect_word. Its bytes are compared in place.
    struct word_key_t {
        uint64_t head = 0;  // the first eight bytes, the first in the lowest byte
        uint64_t mask = 0;  // the bytes of head the word has
        const char *word = nullptr;
        uint32_t length = 0;  // 0: no word (never matches)
        bool colon = false;   // a ':' right after the word is taken with it
    };
    // The key of word; no word when it is not an identifier.
    static word_key_t expect_word(const char *word, bool colon);
    // identifier_or_close, and 2 (start and length set) when the identifier is the
    // expected word; 3 when it is followed by the ':' the key asks for, which is then
    // read too. The expected word is settled inline.
    int identifier_or_close(const word_key_t &expected, const char *&start, uint32_t &length, const char *word) {
        if (!skip()) return -1;
        // The texts' padding makes the load safe up to their end (where it finds zero
        // bytes, which no word has: the end is then reported by the general path). A
        // word longer than eight bytes is compared on only past a match of its first
        // eight, which are then no zero bytes: the comparison stops at the latest at
        // the text's closing zero.
        const char *p = m_source->pos;
        uint64_t head;
        memcpy(&head, p, sizeof(head));
        if (expected.length && (head & expected.mask) == expected.head) {
            uint32_t i = 8;
            while (i < expected.length && p[i] == expected.word[i]) ++i;
            if (i >= expected.length && !NAME_TOKEN_DIGITS.of[static_cast<unsigned char>(p[expected.length])]) {
                start = p;
                length = expected.length;
                p += expected.length;
                const bool colon = expected.colon && *p == ':';
                m_source->pos = p + colon;
                return colon ? 3 : 2;
            }
        }
        return identifier_or_close(start, length, word);
    }
    // A unit name, bare or quoted, as the bytes of the name (without quotes), and its
    // tokens in out (first dot_token when the name starts with a dot, as ".x" stands for
    // a name under that token): 1; 0 when the name's form is refused (a token of more
    // than 12 characters, more than MAX_TOKENS tokens, none at all), which the caller
    // reports; -1 when there is no name (reported).
    int unit_name(const char *&start, uint32_t &length, uint64_t dot_token, unit_name_tokens_t &out);
    bool string_value(mstring_dyn_t &out);
    bool integer(int64_t &out);
    bool unsigned_value(uint64_t &out);
    bool boolean(bool &out);
    bool real(float &out);
    // n of 2, 3, 4 components between parentheses.
    bool vector(float *out, int n);
    // "(w; x, y, z)" into w, x, y, z.
    bool quaternion(float *out);
    // ":" left in place (0), "[]" (1), "[n]" (2, n in out), or an error (-1).
    int index(uint32_t &out);
    // A symbol (is_symbol true, the text in symbol) or a number.
    bool enum_value(bool &is_symbol, mstring_dyn_t &symbol, int64_t &number);
    bool end_of_file();

    // Where the scanner is: the innermost file (kept until reset) and its line.
    struct location_t {
        const void *source;
        uint32_t line;
    };
    location_t location() const { return {m_source, m_source ? m_source->line : 0}; }

    // Called before any error is reported while a text is scanned, so that the reader
    // can first report what it found earlier and has not yet told (its own checks run
    // behind the scan). When it returns false (it reported an error of its own, which
    // fails the load), the scanner reports nothing more.
    using report_hook_t = bool (*)(void *context);
    void set_report_hook(report_hook_t hook, void *context) {
        m_hook = hook;
        m_hook_context = context;
    }

    // The location lines of an error: the innermost file and line, then each file
    // that included it with the line of its include; after scanning, the top-level
    // file alone. False, with nothing reported, when the report hook refused: the
    // caller then leaves out its message too.
    bool report_location() const;
    // The location lines of a place recorded earlier during this scan.
    void report_location_at(const location_t &where) const;
    // The location, then "Expecting %s, found '%s'" with the text at the position.
    void report_expecting(const char *word) const;

    // Bytes left in the current text: readers cap reservations by it.
    uint64_t bytes_left() const;
    const char *top_path() const { return m_top_path.c_str(); }
    // True once the end of the top-level text was reached.
    bool finished() const { return m_finished; }

private:
    // One file of the include stack. Its text ends in TEXT_PADDING zero bytes, so a look
    // past the last character is always safe.
    struct source_t {
        mstring_dyn_t path;
        char *text = nullptr;
        const char *pos = nullptr;
        const char *end = nullptr;
        uint32_t line = 1;
        uint32_t directive_line = 0;  // the include's line in the parent
        source_t *parent = nullptr;
        source_t *retired = nullptr;  // the next of the retired list
    };

    // Skips blanks, line ends, comments and include lines before a token. Most tokens
    // follow one blank or none, or start the next line after its indent of one blank
    // (attribute lines, as the writer puts them) or none (a closing brace): a look at
    // the first characters settles those inline. A token that starts a line is never
    // an '@' here (SKIP_CLASS holds it), so no include line is passed over.
    bool skip() {
        source_t *s = m_source;
        const char *p = s->pos;
        if (!SKIP_CLASS[static_cast<unsigned char>(p[0])]) return true;
        if (p[0] == ' ' && !SKIP_CLASS[static_cast<unsigned char>(p[1])]) {
            s->pos = p + 1;
            return true;
        }
        if (p[0] == '\r' && p[1] == '\n') {
            const uint32_t indent = p[2] == ' ';
            if (!SKIP_CLASS[static_cast<unsigned char>(p[2 + indent])]) {
                s->pos = p + 2 + indent;
                ++s->line;
                return true;
            }
        }
        return skip_slow();
    }
    bool skip_slow();
    bool include_line(const char *&p);
    bool push(const char *name, const char *after);
    // Leaves the innermost file; its text is kept (retired) until reset, so that the
    // bytes handed out as names stay valid for the whole load.
    void pop();
    void free_retired();

    // 1 for the bytes skip must look at (blanks, line ends, '#', '/', '@' and the
    // zero byte that ends every text), 0 for those that may start a token.
    static const uint8_t SKIP_CLASS[256];
    // After skip: true when a token may follow (reports the unexpected end otherwise).
    bool token_ahead();
    const char *&pos();

    unit_file_opener_t &m_opener;
    uint32_t m_realm;
    source_t *m_source = nullptr;  // innermost
    source_t *m_retired = nullptr;  // files left, freed at reset
    report_hook_t m_hook = nullptr;
    void *m_hook_context = nullptr;
    uint32_t m_depth = 0;
    bool m_finished = false;
    mstring_dyn_t m_top_path;
};

}  // namespace quarn
