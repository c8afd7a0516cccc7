// Filling a template's markers with the parts of a value. Its own source: it needs
// the core library's texts only (the fuzz target "ui_template" builds it alone).
#include <cstdio>
#include <cstring>

#include "game/ui/ui_templates.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

namespace {

// Cuts the text at the longest a template text may be.
void cut(mstring_t &text) {
    if (text.length() > UI_TEMPLATE_TEXT_MAX) text.copy(text, 0, 0, UI_TEMPLATE_TEXT_MAX);
}

}  // namespace

bool ui_template_fill(const char *text, const char *value, mstring_t &out) {
    mstring_dyn_t work;
    bool ok = work.copy(text ? text : "");
    cut(work);
    if (value && *value) {
        mstring_dyn_t next, part;
        char marker[16];
        uint32_t n = 0;
        // Once no '%' is left no marker can match: the other parts have nothing to do.
        for (const char *p = value; strchr(work.c_str(), '%'); ++n) {
            const char *bar = strchr(p, '|');
            const uint32_t length = bar ? uint32_t(bar - p) : uint32_t(strlen(p));
            ok = part.copy(string(p), 0, 0, length) && ok;
            snprintf(marker, sizeof marker, "%%%X", n);
            ok = work.replace(next, string(marker), part) && ok;
            cut(next);
            ok = work.copy(next) && ok;
            if (!bar) break;
            p = bar + 1;
        }
    }
    return out.copy(work) && ok;
}

}  // namespace quarn
