// The UI layer: laying out a kilobyte of markup, and a frame of a window of 60 text
// views (input, handlers, drawing into the draw log) with the draw caches kept and
// with every cache rebuilt.
#include <benchmark/benchmark.h>

#include <string>

#include "embedded_archive.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/visbase/render.h"
#include "outside/visbase/visbase.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/dl_lib.h"
#include "support/ui_test_views.h"

namespace {

using namespace quarn;

// The memory manager, the shared and graphics layers bound to it, the stored archive
// (font and panel material) and the UI layer with the test classes, once.
struct ui_world_t {
    ui_world_t() {
        process_table_setup();
        mm_init();
        void *self = dl_lib_t::get_main_handle();
        qrnshared_init(self);
        visbase_init(self);
        qrnshared_startup();
        fs_startup();
        fs_set_archive_factory(zip_device_create);
        ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        test::register_ui_test_classes(true);
        ui_init();
        zml_init();
    }
};

ui_world_t &world() {
    static ui_world_t w;
    return w;
}

// About 1 KB: panels, colours, alignment, offsets and lines of text.
std::string kilobyte_of_markup() {
    std::string text;
    int line = 0;
    while (text.size() < 1024) {
        text += "<img src=/system/ui/default/uidefault.mat xscale=repeat height=16 color=30ffffff>";
        text += "<offset vshift=" + std::to_string(line * 18) + "><align hstyle=center>\\yScore \\w" +
                std::to_string(line * 1234) + "<color value=ff00ff00> points</color></align><ret>";
        ++line;
    }
    return text;
}

void BM_zml_render_1k(benchmark::State &state) {
    world();
    const std::string text = kilobyte_of_markup();
    zml_set_bounds({0, 1024, 768, 0});
    zml_buffer_t out;
    for (auto _ : state) {
        zml_render(text.c_str());
        zml_buffer_get(&out);
        benchmark::DoNotOptimize(out.count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["items"] = double(out.count());
}
BENCHMARK(BM_zml_render_1k);

// A window of 60 text views in a grid of 6 x 10, each with a panel and a line.
c_item_t *sixty_views() {
    static c_item_t *window = nullptr;
    if (window) return window;
    std::string layout = "entity ui.window {\n";
    for (int i = 0; i < 60; ++i) {
        const int x = (i % 6) * 170, y = (i / 6) * 76;
        layout += "  entity ui.test.text { id: \"" + std::to_string(i) + "\" coords: \"" + std::to_string(x) + " " +
                  std::to_string(y) + " " + std::to_string(x + 160) + " " + std::to_string(y + 70) +
                  "\" text: \"<img src=/system/ui/default/uidefault.mat xscale=repeat yscale=repeat color=30ffffff>"
                  "<ret><align hstyle=center vstyle=center>\\yView " +
                  std::to_string(i) + "</align>\" }\n";
    }
    layout += "}\nentity ui.test.handler { }\n";
    window = ui_winsert_text("bench", "sixty", 0, layout.c_str(), "/bench/sixty.esc");
    return window;
}

void frame(benchmark::State &state, bool recache) {
    world();
    sixty_views();
    r_context_t context(nullptr);
    for (auto _ : state) {
        if (recache) ui_recache();
        context.begin_frame();
        ui_process(&context);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 60);
    // The game keeps no draw log: one more frame, logged, counts the records.
    context.set_draw_log(true);
    context.begin_frame();
    ui_process(&context);
    state.counters["records"] = double(context.get_draw_log().ui_count());
}

void BM_ui_frame_60_views_cached(benchmark::State &state) { frame(state, false); }
BENCHMARK(BM_ui_frame_60_views_cached);

// Every view renders its text again and every cache is rebuilt each frame.
void BM_ui_frame_60_views_recached(benchmark::State &state) { frame(state, true); }
BENCHMARK(BM_ui_frame_60_views_recached);

}  // namespace
