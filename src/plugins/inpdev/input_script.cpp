#include "plugins/inpdev/input_script.h"

#include <charconv>
#include <cstdarg>
#include <cstring>

namespace quarn::inpdev {

namespace {

constexpr uint32_t WORDS = 4;
// The longest trigger name (the kernel keeps 15 characters).
constexpr size_t TRIGGER_NAME_MAX = 15;
// Words are quoted in messages up to this length.
constexpr int SHOWN_MAX = 32;
// Key triggers are the codes below the cursor's (the kernel's 256).
constexpr int32_t KEY_CODE_END = 256;

struct word_t {
    const char *text = nullptr;
    size_t size = 0;

    bool is(const char *s) const { return size == strlen(s) && memcmp(text, s, size) == 0; }
    // The length shown in messages.
    int shown() const { return size > size_t(SHOWN_MAX) ? SHOWN_MAX : int(size); }
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Splits a line (without its end) into at most WORDS words and counts them all; a
// "#" ends the line.
uint32_t split(const char *line, size_t size, word_t (&words)[WORDS]) {
    uint32_t count = 0;
    size_t i = 0;
    while (i < size) {
        if (is_blank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        const size_t start = i;
        while (i < size && !is_blank(line[i]) && line[i] != '#') ++i;
        if (count < WORDS) words[count] = word_t{line + start, i - start};
        ++count;
    }
    return count;
}

// A whole number, the word entirely; false for anything else (a sign is allowed only
// where T is signed: from_chars takes "-", never "+").
template <class T>
bool whole_number(const word_t &w, T &out) {
    if (w.size == 0) return false;
    const auto [end, ec] = std::from_chars(w.text, w.text + w.size, out);
    return ec == std::errc() && end == w.text + w.size;
}

bool decimal_number(const word_t &w, float &out) {
    if (w.size == 0) return false;
    const auto [end, ec] = std::from_chars(w.text, w.text + w.size, out, std::chars_format::fixed);
    return ec == std::errc() && end == w.text + w.size;
}

class reader_t {
public:
    reader_t(const char *file, script_trigger_code_t trigger_code, const void *context, mstring_t &error)
        : m_file(file ? file : ""), m_trigger_code(trigger_code), m_context(context), m_error(error) {}

    // Reads one line into out; false (with the error) when it is bad. A line without
    // words gives true with *empty set.
    bool line(const char *text, size_t size, uint32_t number, script_line_t &out, bool *empty) {
        m_line = number;
        word_t w[WORDS];
        const uint32_t count = split(text, size, w);
        *empty = count == 0;
        if (count == 0) return true;
        out = script_line_t{};
        out.line = number;
        if (!whole_number(w[0], out.frame)) return fail("'%.*s' is not a frame number", w[0].shown(), w[0].text);
        if (out.frame == 0) return fail("frames count from 1");
        if (out.frame < m_last_frame) return fail("frame %u comes after frame %u", out.frame, m_last_frame);
        if (count < 2) return fail("a frame number without an action (key, button, move or point)");
        const word_t &action = w[1];
        if (action.is("key")) {
            out.action = SCRIPT_KEY;
            if (count != WORDS) return fail("key takes a key name and down or up");
            if (!key_code(w[2], out.x) || !direction(w[3], out.down)) return false;
        } else if (action.is("button")) {
            out.action = SCRIPT_BUTTON;
            if (count != WORDS) return fail("button takes a button (1 to %u) and down or up", SCRIPT_MOUSE_BUTTONS);
            uint32_t button = 0;
            if (!whole_number(w[2], button) || button < 1 || button > SCRIPT_MOUSE_BUTTONS)
                return fail("'%.*s' is no mouse button (1 to %u)", w[2].shown(), w[2].text, SCRIPT_MOUSE_BUTTONS);
            out.x = int32_t(button);
            if (!direction(w[3], out.down)) return false;
        } else if (action.is("move")) {
            out.action = SCRIPT_MOVE;
            if (count != WORDS) return fail("move takes two whole numbers of counts, right and down");
            for (int i = 0; i < 2; ++i) {
                int32_t &v = i == 0 ? out.x : out.y;
                if (!whole_number(w[2 + i], v) || v < -SCRIPT_MOVE_MAX || v > SCRIPT_MOVE_MAX)
                    return fail("'%.*s' is no movement (a whole number from %d to %d)", w[2 + i].shown(),
                                w[2 + i].text, -SCRIPT_MOVE_MAX, SCRIPT_MOVE_MAX);
            }
        } else if (action.is("point")) {
            out.action = SCRIPT_POINT;
            if (count != WORDS) return fail("point takes a place in UI units, x and y");
            for (int i = 0; i < 2; ++i) {
                float &v = i == 0 ? out.ui_x : out.ui_y;
                const float limit = i == 0 ? SCRIPT_UI_WIDTH : SCRIPT_UI_HEIGHT;
                if (!decimal_number(w[2 + i], v) || !(v >= 0.0f && v <= limit))
                    return fail("'%.*s' is no place on the screen (x 0 to %g, y 0 to %g)", w[2 + i].shown(),
                                w[2 + i].text, double(SCRIPT_UI_WIDTH), double(SCRIPT_UI_HEIGHT));
            }
        } else {
            return fail("'%.*s' is no action (key, button, move or point)", action.shown(), action.text);
        }
        m_last_frame = out.frame;
        return true;
    }

private:
    bool key_code(const word_t &w, int32_t &code) {
        char name[TRIGGER_NAME_MAX + 1];
        code = -1;
        if (w.size <= TRIGGER_NAME_MAX && !memchr(w.text, 0, w.size) && m_trigger_code) {
            memcpy(name, w.text, w.size);
            name[w.size] = 0;
            code = m_trigger_code(name, m_context);
        }
        if (code < 0) return fail("'%.*s' is no key", w.shown(), w.text);
        if (code == 0 || code >= KEY_CODE_END)
            return fail("'%.*s' is no key of the keyboard (buttons are 'button')", w.shown(), w.text);
        return true;
    }
    bool direction(const word_t &w, bool &down) {
        if (w.is("down")) down = true;
        else if (w.is("up")) down = false;
        else return fail("'%.*s' is neither down nor up", w.shown(), w.text);
        return true;
    }
    bool fail(const char *fmt, ...) V_PRINTF(2, 3) {
        m_error.printf("%s:%u: ", m_file, m_line);
        va_list args;
        va_start(args, fmt);
        m_error.vprintf_append(fmt, args);
        va_end(args);
        return false;
    }

    const char *m_file;
    script_trigger_code_t m_trigger_code;
    const void *m_context;
    mstring_t &m_error;
    uint32_t m_line = 0;
    uint32_t m_last_frame = 0;
};

}  // namespace

bool input_script_t::read(const char *text, size_t size, const char *file, script_trigger_code_t trigger_code,
                          const void *context, mstring_t &error) {
    m_lines.clear();
    reader_t reader(file, trigger_code, context, error);
    uint32_t number = 0;
    size_t at = 0;
    while (at < size) {
        const char *start = text + at;
        const char *end = static_cast<const char *>(memchr(start, '\n', size - at));
        const size_t length = end ? size_t(end - start) : size - at;
        at += length + (end ? 1 : 0);
        ++number;
        script_line_t line;
        bool empty = false;
        if (!reader.line(start, length, number, line, &empty)) {
            m_lines.clear();
            return false;
        }
        if (empty) continue;
        if (!m_lines.append(line)) {
            error.printf("%s:%u: no memory for the script's lines", file ? file : "", number);
            m_lines.clear();
            return false;
        }
    }
    return true;
}

}  // namespace quarn::inpdev
