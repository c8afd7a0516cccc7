#pragma once
// The checked formatter for texts that come from data (translations, layouts): such a
// text is never a printf format. Its conversions are filled from a list of typed
// arguments, and a conversion takes the next argument only when the kinds match:
// - "%s" a text; "%d", "%i", "%u", "%x" an integer;
// - each may carry flags ("-", "+", " ", "0", "#") and a decimal width (at most
//   TEXT_FORMAT_MAX_WIDTH);
// - "%%" is "%".
// Every other conversion ("%n", "%p", "%.3s", "%ld", "%*d"), one whose argument is of
// the other kind, and one with no argument left stays in the result as written; an
// argument not taken stays for the next conversion.
#include <cstdint>
#include <initializer_list>

#include "outside/qrnshared/api.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

inline constexpr uint32_t TEXT_FORMAT_MAX_WIDTH = 256;

class format_arg_t {
public:
    enum kind_t : uint8_t { TEXT, INTEGER };

    // A null text is taken as "".
    format_arg_t(const char *text) : m_kind(TEXT), m_text(text ? text : "") {}
    format_arg_t(const mstring_t &text) : format_arg_t(text.c_str()) {}
    format_arg_t(int32_t value) : m_kind(INTEGER), m_value(value), m_wide(false) {}
    format_arg_t(uint32_t value) : m_kind(INTEGER), m_value(int64_t(value)), m_wide(false) {}
    format_arg_t(int64_t value) : m_kind(INTEGER), m_value(value), m_wide(true) {}
    format_arg_t(uint64_t value) : m_kind(INTEGER), m_value(int64_t(value)), m_wide(true) {}

    kind_t kind() const { return m_kind; }
    const char *text() const { return m_text; }
    int64_t value() const { return m_value; }
    // The value as "%u" and "%x" show it: a 32-bit argument keeps 32 bits.
    uint64_t unsigned_value() const { return m_wide ? uint64_t(m_value) : uint64_t(uint32_t(m_value)); }

private:
    kind_t m_kind;
    const char *m_text = "";
    int64_t m_value = 0;
    bool m_wide = false;
};

// Replaces out with the format filled from count arguments. False when out cannot
// hold the result (it then holds what fitted).
QRNSHARED_API bool text_format(mstring_t &out, const char *format, const format_arg_t *args, uint32_t count);
inline bool text_format(mstring_t &out, const char *format, std::initializer_list<format_arg_t> args) {
    return text_format(out, format, args.begin(), uint32_t(args.size()));
}

}  // namespace quarn
