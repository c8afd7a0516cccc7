#pragma once
// What the effect tests share: a unit system over a bank of its own with the seven
// effect classes, effect instances read from unit text, buffers of hand-made items,
// and a queue whose records read back as rectangles and tints.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game/ui/effects/uifx_units.h"
#include "game/voiceover/voiceover.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"
#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn::test {

inline bool register_uifx_classes(unit_bank_t &bank) {
    return uifx_composite_u::register_class(bank) && uifx_nop_u::register_class(bank) &&
           uifx_scroll_u::register_class(bank) && uifx_scale_u::register_class(bank) &&
           uifx_smoke_u::register_class(bank) && uifx_button_focus_u::register_class(bank) &&
           uifx_score_u::register_class(bank);
}

// The classes of the shipped hookup files ("/script/hookup"), which every controller
// loads when it is built over the game's content: the effects and the voice tables.
inline bool register_hookup_classes(unit_bank_t &bank) {
    return register_uifx_classes(bank) && voiceover_u::register_class(bank) && voiceover_table_u::register_class(bank);
}

// A rectangle as text, "left right top bottom".
inline std::string rect_text(const ui_rect_t &r) {
    char t[128];
    snprintf(t, sizeof t, "%g %g %g %g", double(r.left), double(r.right), double(r.top), double(r.bottom));
    return t;
}

// The records of a queue as "rect@tint" (tint in hexadecimal), parted by " | ".
inline std::string records(const r_queue_t *q) {
    std::string out;
    for (const r_ui_record_t &r : q->ui_records) {
        char t[160];
        snprintf(t, sizeof t, "%g %g %g %g@%08x", double(r.left), double(r.right), double(r.top), double(r.bottom),
                 unsigned(r.tint));
        out += (out.empty() ? "" : " | ") + std::string(t);
    }
    return out;
}

// The working rectangles of a buffer, parted by " | ".
inline std::string rects(const zml_buffer_t &b) {
    std::string out;
    for (uint32_t i = 0; i < b.count(); ++i) out += (i ? " | " : "") + rect_text(b.rect(i));
    return out;
}

// A glyph item of the rectangle.
inline void add_item(zml_buffer_t &b, float left, float right, float top, float bottom) {
    zml_item_t *item = b.add();
    item->rect = {left, right, top, bottom};
    item->text = "x";
    item->first_char = 0;
    item->char_count = 1;
    item->glyph_width = right - left;
}

class uifx_fixture_t : public ::testing::Test {
protected:
    void SetUp() override {
        live_before = unit_base_t::get_live_count();
        system = new unit_system_t(bank);
        system->set_default();
        ASSERT_TRUE(register_uifx_classes(bank));
        queue = gfx_queue_alloc();
    }
    void TearDown() override {
        gfx_queue_free(queue);
        loader.reset();
        held.clear();
        unit_system_t::clean_garbage();
        delete system;
        EXPECT_EQ(unit_base_t::get_live_count(), live_before) << "units leaked";
    }

    // Loads unit definitions (without the file's frame); false when the file fails.
    bool load(const std::string &units) {
        loader.reset();
        file = std::make_unique<memory_file_t>("RozErere\n{\n" + units + "\n}\n", "/t/fx.unit");
        loader = std::make_unique<unit_load_t>(*file, *system);
        return loader->load();
    }
    // A clone of the instance of that name, as a view takes it.
    template <class T = zml_effect_u>
    T *clone_of(const char *name) {
        unit_t *u = unit_system_t::find_unit(name);
        if (!u) return nullptr;
        held.append(owner_ptr_t<zml_effect_u>(unit_cast<zml_effect_u>(u->clone())));
        return unit_cast<T>(held[held.get_count() - 1].get());
    }
    // Draws the effect into a fresh queue and reads the records back.
    std::string drawn(zml_effect_u *e) {
        gfx_queue_flush(queue);
        e->draw(queue);
        return records(queue);
    }

    unit_bank_t bank;
    unit_system_t *system = nullptr;
    uint32_t live_before = 0;
    r_queue_t *queue = nullptr;
    message_capture_t log;
    std::unique_ptr<memory_file_t> file;
    std::unique_ptr<unit_load_t> loader;
    array_dyn_t<owner_ptr_t<zml_effect_u>> held;
};

}  // namespace quarn::test
