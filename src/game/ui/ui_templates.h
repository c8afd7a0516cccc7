#pragma once
// Templates of the common controls (docs/ui-controls.md). A layout names a template
// number (`look`) and parameters (`value`, buttons also `value2`); the control
// expands the template's entries from "/def/ui/<kind>.def" into the markup and
// settings of the plain control it is built on.
//
// ui_def_templates_t is one loaded template file: the file's definition pool held as
// a locked item of the memory manager, and the name table editing tools offer.
// ui_template_class_t is the store of one class of common controls: its file, the
// count of live controls of the class and their templates, loaded by the first
// control and released by the last. ui_template_user_t is a control's membership.
//
// Expansion: the entry's text with each '|'-separated part n of the value put where
// its marker "%" n (upper-case hexadecimal: "%0" ... "%9", "%A" ...) stands. Markers
// are plain substrings, scanned from the left and never inside inserted text, so with
// seventeen or more parts "%1" also matches the start of "%10": templates keep their
// markers below that. Texts are cut at UI_TEMPLATE_TEXT_MAX characters.
#include <cstdint>

#include "qrncore/strings/mstring.h"

namespace quarn {

class c_item_t;
class def_obj_t;
class def_pool_t;

inline constexpr uint32_t UI_TEMPLATE_TEXT_MAX = 8191;

// One entry of the name table: the template's `name` (cut at 63 characters) and its
// number; the table ends with an entry of number -1 and an empty name.
struct ui_template_name_t {
    char name[64];
    int32_t number;
};

class ui_def_templates_t {
public:
    ui_def_templates_t() = default;
    // Nothing is released here: stores are static, and at exit the memory manager
    // may be gone. Owners call release.
    ~ui_def_templates_t() = default;
    ui_def_templates_t(const ui_def_templates_t &) = delete;
    ui_def_templates_t &operator=(const ui_def_templates_t &) = delete;

    // Releases what is held, then obtains the file from the memory manager as a
    // definition resource (loaded now). False when it does not load: the store then
    // has no templates and every expansion answers none (the controls' fallbacks).
    bool load(const char *path);
    // Lets go of the pool and the item and frees the name table.
    void release();

    bool is_loaded() const { return m_pool != nullptr; }
    // Templates 0, 1, 2 ... up to the first missing number.
    uint32_t count() const { return m_count; }
    // The name table (count() entries and the end entry); a lone end entry when
    // nothing is loaded.
    const ui_template_name_t *names() const;

    // Template number look, or null (no pool, a negative or missing number).
    const def_obj_t *find(int32_t look) const;
    // The entry key of template look expanded with the parameters of value (null:
    // none) into out. False, out untouched, when there is no pool, no such template
    // or no such entry: the caller then takes its fallback.
    bool expand(int32_t look, const char *key, const char *value, mstring_t &out) const;

private:
    c_item_t *m_item = nullptr;  // counted and locked while the pool is held
    const def_pool_t *m_pool = nullptr;
    ui_template_name_t *m_names = nullptr;
    uint32_t m_count = 0;
};

// Expands text with the parameters of value into out (the rule above); the text is
// cut at UI_TEMPLATE_TEXT_MAX characters before and after each replacement.
bool ui_template_fill(const char *text, const char *value, mstring_t &out);

// The store of one class of common controls.
class ui_template_class_t {
public:
    explicit ui_template_class_t(const char *path) : m_path(path) {}

    // A control of the class comes: the first one loads the file.
    void acquire();
    // One goes: the last one releases the file.
    void release();

    const ui_def_templates_t &templates() const { return m_templates; }
    const char *path() const { return m_path; }
    uint32_t users() const { return m_users; }
    // How often the file was loaded (for tests and tools).
    uint32_t loads() const { return m_loads; }

private:
    const char *m_path;
    ui_def_templates_t m_templates;
    uint32_t m_users = 0;
    uint32_t m_loads = 0;
};

// The stores of the common classes: each class has its own, although buttons, lists
// and dropdowns read the same file.
enum class ui_template_kind_t : uint8_t { BUTTON, TEXT, SLIDER, FRAME, LIST, DROPDOWN, INPUTLINE, COUNT };
ui_template_class_t &ui_template_class(ui_template_kind_t kind);

// A control's membership of its class's store: acquired at init, released at destroy
// or, failing that, when the control goes.
class ui_template_user_t {
public:
    explicit ui_template_user_t(ui_template_kind_t kind) : m_class(&ui_template_class(kind)) {}
    // A membership of a store of its own (the effect texts have one).
    explicit ui_template_user_t(ui_template_class_t &store) : m_class(&store) {}
    ~ui_template_user_t() { release(); }
    ui_template_user_t(const ui_template_user_t &) = delete;
    ui_template_user_t &operator=(const ui_template_user_t &) = delete;

    void acquire() {
        if (m_held) return;
        m_held = true;
        m_class->acquire();
    }
    void release() {
        if (!m_held) return;
        m_held = false;
        m_class->release();
    }
    bool is_held() const { return m_held; }
    const ui_def_templates_t &templates() const { return m_class->templates(); }

private:
    ui_template_class_t *m_class;
    bool m_held = false;
};

}  // namespace quarn
