// Reads arbitrary bytes as a unit file into the effect classes, then runs a clone of
// every loaded effect for a few frames over a small text, drawing each frame. What
// must hold: no crash, no record with a rectangle edge that is not a number, and
// every unit freed again after the load.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/ui/effects/uifx_units.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_system.h"
#include "support/fuzz_unit_load.h"

namespace quarn {
namespace {

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        uifx_composite_u::register_class(bank);
        uifx_nop_u::register_class(bank);
        uifx_scroll_u::register_class(bank);
        uifx_scale_u::register_class(bank);
        uifx_smoke_u::register_class(bank);
        uifx_button_focus_u::register_class(bank);
        uifx_score_u::register_class(bank);
        for (int i = 0; i < 3; ++i) {
            zml_item_t *item = text.add();
            item->rect = {100.0f + 16.0f * float(i), 116.0f + 16.0f * float(i), 140.0f, 124.0f};
            item->text = "x";
        }
        queue = gfx_queue_alloc();
    }
    unit_bank_t bank;
    unit_system_t system;
    zml_buffer_t text;
    r_queue_t *queue = nullptr;
};

void run(world_t &w, unit_base_t *unit) {
    zml_effect_u *template_unit = unit_cast<zml_effect_u>(unit);
    if (!template_unit) return;
    owner_ptr_t<zml_effect_u> e(unit_cast<zml_effect_u>(template_unit->clone()));
    if (!e) return;
    e->start(w.text);
    for (int frame = 0; frame < 8; ++frame) {
        e->update(frame == 5 ? 1.5f : 0.05f, w.text);
        gfx_queue_flush(w.queue);
        e->draw(w.queue);
        for (const r_ui_record_t &r : w.queue->ui_records)
            if (std::isnan(r.left) || std::isnan(r.right) || std::isnan(r.top) || std::isnan(r.bottom)) abort();
        (void)e->is_finished();
    }
}

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static world_t world;
    test::fuzz_unit_load(world.system, data, size, "/f/fx.unit", false, [](unit_base_t *root) {
        run(world, root);
        gfx_queue_flush(world.queue);
    });
    return 0;
}
