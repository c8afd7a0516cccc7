#pragma once
// quarn::text_parser_t: a small tokenizing reader over a text held in memory. Tokens
// are separated by white space (' ', '\t', '\r', '\n') and comments ('#' to the end of
// the line, wherever white space is being skipped); only '\n' counts lines, from 0.
// The parser never allocates and never owns the text. Every reading operation first
// saves the position and line, so undo_read can take back the last one.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

class QRNCORE_API text_parser_t {
public:
    // An empty text until set_buffer.
    text_parser_t();
    text_parser_t(const char *data, uint32_t len);

    // Reads len bytes from data (which may hold NUL bytes: the length rules).
    void set_buffer(const char *data, uint32_t len);
    // Back to the start, line 0.
    void reset();

    bool finished_reading() const { return m_cur >= m_end; }
    int32_t report_current_line() const { return m_line; }
    const char *report_parse_ptr() const { return m_cur; }
    // Returns to the position and line saved by the last reading operation.
    void undo_read();

    // The next byte (0-255), or -1 at the end. Does not count lines.
    int read_char();
    // Skips ' ' and '\t' without leaving the line.
    void skip_spaces();
    // Advances to the next '\n' and stops on it.
    void skip_line();
    // Skips white space and comments, counting lines.
    void skip_whitespace();

    // Skips white space, copies the token up to the next white space, '#' or the end
    // (at most max bytes; buf holds max + 1), terminates it, skips the white space
    // after it and returns its length: 0 at the end. A longer token comes in pieces.
    uint32_t read_token(char *buf, uint32_t max);
    // Copies the bytes up to the next '\n' (at most max; buf holds max + 1), moves
    // past the line end and returns the length. The rest of a longer line is
    // consumed with it.
    uint32_t read_one_line(char *buf, uint32_t max);
    // The next line that is not empty once its comment is cut, without the blanks
    // and tabs at either end (at most max bytes; buf holds max + 1). 0 with buf ""
    // at the end of the text. A '#' inside a quoted word (quoted_word.h) is text, not
    // a comment, so command and configuration lines keep such values.
    uint32_t read_line(char *buf, uint32_t max);

    // count tokens of at most 16 bytes, each wholly a number in base (as strtol, with
    // 32-bit results). count, 0 for count <= 0, -1 when a token is missing or not a
    // number (the values before it are stored).
    int read_int(int32_t *values, int count, int base = 10);
    // The same for decimal floats; count itself for count <= 0.
    int read_float(float *values, int count);
    // The token "<", numbers, then ">": the number of values read, or -1 when "<" is
    // missing, a token is not a number, more than max values come, fewer than min
    // come, or the text ends first.
    int read_vector(float *values, int min, int max);
    // A string value into buf (len bytes with the terminator). quote 0: after white
    // space, a '\'' or '"' opens a quoted value, anything else a blank-delimited one;
    // quote ' ': a blank-delimited value, or 0 (after skipping) when at white space;
    // any other quote: the value runs to that byte. With blank or '"' delimiters a
    // backslash takes the next byte literally. Consumes the delimiter and the white
    // space after it. Returns the length; len when the value did not fit (len - 1
    // bytes are stored, terminated, and the rest is consumed); -1 at the end of the
    // text or when it ends inside a quoted value.
    int read_string(char *buf, uint32_t len, char quote = 0);

    // For use after a "{" token: passes tokens until the matching "}"; false when the
    // text ends first.
    bool skip_block();
    // The number of bytes skip_block would pass (0 when it would fail); nothing moves.
    uint32_t measure_block();

private:
    void save() {
        m_undo = m_cur;
        m_undo_line = m_line;
    }
    void whitespace();
    uint32_t token(char *buf, uint32_t max);
    bool block();

    uint32_t m_length;
    const char *m_start;
    const char *m_cur;
    const char *m_end;
    int32_t m_line;
    const char *m_undo;
    int32_t m_undo_line;
};

}  // namespace quarn
