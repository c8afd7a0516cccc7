#pragma once
// cvar_t: a console variable. A static record per variable, registered with the
// kernel by name, holding a default text and a value text; the value in effect is
// that of the last variable along the link chain (a variable may forward to another),
// its default text while its default is in use, else its value text. A variable may
// carry a hook that checks a new value and one that hears of every change.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/api.h"

namespace quarn {

class file_t;

class QRNSHARED_API cvar_t {
public:
    static constexpr size_t NAME_SIZE = 32;
    static constexpr size_t TEXT_SIZE = 64;

    enum flags_t : uint32_t {
        STORED = 0x1,          // written to the configuration file
        DEFAULT_IN_USE = 0x2,  // the value is the default text
        READ_ONLY = 0x4,       // set refuses every value
    };

    // Refuses a value by returning false; may not change the variable.
    using validate_t = bool (*)(const cvar_t *variable, const char *value);
    // Called after each accepted value.
    using change_t = void (*)(cvar_t *variable);

    // An empty, unregistered record.
    cvar_t();
    // A static record. Name and default are cut to what the record holds, with a
    // warning.
    cvar_t(const char *variable_name, const char *default_value, uint32_t flags = 0,
           validate_t validate_hook = nullptr, change_t change_hook = nullptr);
    cvar_t(const cvar_t &) = delete;
    cvar_t &operator=(const cvar_t &) = delete;

    // Records the kernel makes for itself ("-env", "uset") live in the host's memory.
    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // Empties the record: no name, no texts, no flags, no links, no hooks.
    void reset();
    // Copies name / default text into the record; false (with a warning) when cut.
    bool set_name(const char *text);
    bool set_default(const char *text);
    // Sets the value of the variable in effect (the end of the link chain): the
    // validate hook may refuse it, a read-only variable refuses everything; otherwise
    // the text goes into the value text (cut, with a warning, past 63 characters), the
    // default is no longer in use and the change hook runs. False when refused.
    bool set(const char *text);
    // Writes the value text directly, without hooks (the kernel's "-env"); false with
    // a warning when cut.
    bool set_value_text(const char *text);
    // Logs "name = "value"".
    void print() const;
    // Writes the configuration line `uset NAME "VALUE"` with CR LF, the value quoted
    // as qrncore/strings/quoted_word.h says ('"' and '\' escaped), so that every value
    // reads back unchanged; false when the write fails. A value holding a line break
    // is left out with a warning (true).
    bool store(file_t &file) const;
    // Forwards this variable to target (after dropping an earlier link). A link that
    // would close a circle is refused with an error.
    bool link(cvar_t *target);
    // Drops this variable's own link; nothing when it has none.
    void unlink();
    bool is_read_only() const { return m_flags & READ_ONLY; }

    // The variable in effect: the end of the link chain.
    const cvar_t *resolve() const;
    cvar_t *resolve();
    // The text in effect: the pointer itself, not a copy.
    const char *get_text() const;
    // The text as a number: strtol with base 0 (32-bit results) / strtod.
    int32_t get_int() const;
    float get_float() const;

    // Read and written by the kernel, in this order.
    char name[NAME_SIZE];
    char default_text[TEXT_SIZE];
    uint8_t stored = 0;
    uint8_t default_in_use = 0;
    uint32_t hash = 0;  // 0 while not registered
    uint8_t dynamic = 0;
    char value_text[TEXT_SIZE];
    char *value = nullptr;     // set at registration
    char *default_value = nullptr;
    cvar_t *link_target = nullptr;
    cvar_t *linked_from = nullptr;
    cvar_t *next = nullptr;
    cvar_t *prev = nullptr;

private:
    uint32_t m_flags = 0;
    validate_t m_validate = nullptr;
    change_t m_change = nullptr;
};

}  // namespace quarn
