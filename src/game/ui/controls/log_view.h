#pragma once
// ui_log_view_t, "ui.comp.logview": the console's view of the kernel's message
// history (docs/ui-controls.md, "Log view"). The newest message stands lowest; the
// console scrolls by setting `offset`, the index of the lowest message shown, and a
// red "**** more ****" line then marks that newer ones are below. Warnings show in
// yellow, errors in red. A message's colour escapes ("\y", "\w", "\r", "\g", and "\\"
// for a backslash) colour it as they colour any text, so "\yusage:\w map" reads in
// two colours; the rest shows as written (a tag in a message is text). The view keeps
// no copy of the messages: it is built again from the history at most every 0.05 s
// while it is visible.
#include <cstdint>

#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_log_view_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    static constexpr float REFRESH = 0.05f;

    void handler() override;
    void zml_precache(ui_draw_list_t &list) override;
    void notify(int32_t flags) override;

    bool is_built() const { return m_built; }
    const zml_buffer_t &get_view_buffer() const { return m_view; }
    // Builds the view from the history now.
    void rebuild();

    int32_t offset = 0;
    // The font whose line height and spacing set the lines apart.
    mstring_dyn_t font{ZML_DEFAULT_FONT};
    uint8_t offset_flags = 0, font_flags = 0;

private:
    static const evalue_def_t value_defs[];

    zml_buffer_t m_view;
    zml_buffer_t m_line;
    float m_timer = 0.0f;
    bool m_built = false;
};

}  // namespace quarn
