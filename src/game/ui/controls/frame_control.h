#pragma once
// Frames (docs/ui-controls.md):
// - ui_frame_t: a panel built from four materials: a corner (each corner shows a
//   quarter of it), a horizontal edge (half its height), a vertical edge (half its
//   width) and an inside, tinted by `color` (alpha red green blue), with markup
//   `text` over it. Built once per change of content or size, in this order:
//   corners, inside, top and bottom edges, left and right edges, text; an edge is
//   left out when the frame is not longer than its two corners, the inside when it
//   is not larger than its insets. Moving a built frame moves it without building.
//   Not registered by itself: the common frame is the class layouts name.
// - ui_common_frame_t, "ui.comp.common.frame": materials, colour, tiling and text
//   from a template of "/def/ui/frm.def".
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_frame_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    // The parts a build drew (bits of built_parts).
    enum part_t : uint32_t { PART_CORNERS = 1, PART_INSIDE = 2, PART_HORIZONTAL = 4, PART_VERTICAL = 8, PART_TEXT = 16 };

    int init(int stage) override;
    void handler() override;
    void zml_precache(ui_draw_list_t &list) override;
    void offset(float dx, float dy, uint32_t flags) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    uint32_t built_parts() const { return m_parts; }
    // How often the frame was built (tools and tests).
    uint32_t build_count() const { return m_builds; }
    const zml_buffer_t &get_buffer() const { return m_buffer; }

    mstring_dyn_t text, hline, vline, inside, corner;
    bool tile = true;
    bool inside_tile = false;
    bool inside_inset = true;
    uint32_t color = 0xFFFFFFFFu;
    uint8_t value_flags[9] = {};

private:
    static bool set_color(entity_t *entity, const evalue_def_t &def, const char *text);
    static const evalue_def_t value_defs[];

    struct material_size_t {
        bool loaded = false;
        float width = 0.0f, height = 0.0f;
    };
    void load_sizes();
    void build();

    material_size_t m_corner, m_hline, m_vline, m_inside;
    zml_buffer_t m_buffer;
    bool m_content_changed = true;
    bool m_rebuild = true;
    uint32_t m_parts = 0;
    uint32_t m_builds = 0;
};

class ui_common_frame_t : public ui_frame_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    void changed(uint32_t flags) override;

    void refresh();
    void apply_template();

    int32_t look = 0;
    mstring_dyn_t value;
    uint8_t tlook_flags = 0, tvalue_flags = 0;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::FRAME};
};

// A colour of alpha red green blue as markup packs it: alpha blue green red.
uint32_t ui_argb_to_markup(uint32_t argb);

}  // namespace quarn
