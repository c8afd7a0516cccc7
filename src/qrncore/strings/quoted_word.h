#pragma once
// Quoted words of command lines and configuration files, shared by the command-line
// splitter (arg_t), the comment cut of text_parser_t::read_line and the writers of
// such lines. A word begins at the start of a line, after a blank (' ') or after the
// closing quote of a quoted word; a word that begins with '"' runs to the next '"'
// that is not escaped (or to the end of the line). Inside it `\"` stands for '"' and
// `\\` for '\'; any other backslash stays as written, so "C:\games" reads as itself.
// A '"' inside an unquoted word is an ordinary character. quoted_word_append escapes
// every '"' and '\', so that any text without a line break reads back unchanged; a
// text with neither is written as it stands between the quotes.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

// open points at the opening quote of a word; returns its closing quote, or end when
// the word runs to the end.
QRNCORE_API const char *quoted_word_end(const char *open, const char *end);
// Takes the escapes out of the text between a word's quotes, in place; returns the
// new length (the text is not terminated).
QRNCORE_API uint32_t quoted_word_unescape(char *text, uint32_t len);
// Where the comment of a line of len bytes begins: its first '#' outside quoted
// words; len when it has none.
QRNCORE_API uint32_t quoted_comment_start(const char *line, uint32_t len);
// Appends text to out as one quoted word; false when out cut it.
QRNCORE_API bool quoted_word_append(mstring_t &out, const string &text);

}  // namespace quarn
