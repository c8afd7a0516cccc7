#pragma once
// The UI as the game has it, for the tests of screens and of the headless scenario:
// - a kernel on an injected clock with the memory manager, the shared layer bound to
//   the kernel's exports, the graphics layer's renderer recording into a context's
//   draw log;
// - the archive stored in the program mounted at the root (the default font, the UI
//   materials, the translations), a temporary folder at "/t";
// - the game's UI classes registered through the module's rows, and the test classes
//   of support/ui_test_views.h ("ui.test.*");
// - a probe standing for the module's guard, whose hold count is the number of live
//   objects of the game's classes (each holds one lock);
// - layouts from memory (layout(path, text)), consulted before the files;
// - a screen size of the test's choice (screen), 1024 x 768 until set;
// - fixed steps (step): the clock moves FRAME seconds, the kernel runs one pass (the
//   input front-end reads the scripted device when one is in use), the UI one frame;
// - events injected directly (key, pointer, click) or through the scripted input
//   device (use_input_device), the kernel's way;
// - the frame's draw log as text (dump) for goldens, or its texts (texts).
// Tear-down removes every window and checks that no item and no module lock is left.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "kernel/kernel_fixture.h"
#include "kernel/scripted_input_device.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "outside/visbase/render.h"
#include "qrncore/qrnutils/ufs/fs_device.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/ui_test_views.h"

namespace quarn::test {

// Stands for the game module's guard process (never scheduled): holds are counted.
class ui_guard_probe_t : public vprocess_t {
public:
    ui_guard_probe_t() : vprocess_t(0) { set_name("guard probe"); }
};

// A render context that reports a chosen screen size (0 x 0 until set: the layer then
// keeps 1024 x 768).
class ui_test_context_t : public r_context_t {
public:
    ui_test_context_t() : r_context_t(nullptr) { set_draw_log(true); }
    void get_size(int32_t *width, int32_t *height) override {
        if (width) *width = screen_width;
        if (height) *height = screen_height;
    }
    int32_t screen_width = 0;
    int32_t screen_height = 0;
};

class ui_fixture_t : public kernel_fixture_t {
protected:
    static constexpr double FRAME = 0.02;

    void SetUp() override;
    void TearDown() override;

    // ---- layouts and windows ----
    // A layout the layer reads from memory at that path (and its includes).
    static void layout(const std::string &path, const std::string &text);
    // ui_winsert of a layout path (from memory or the files).
    c_item_t *insert(const char *group, const char *name, const std::string &path, uint32_t flags = 0);
    // A file of the temporary folder, "/t/<name>" in the virtual tree.
    void put(const std::string &name, const std::string &text);

    // ---- input ----
    // Key and pointer events handed straight to the UI for the next step.
    void key(uint32_t code, bool down, uint32_t modifiers = 0, uint32_t character = 0);
    void press(uint32_t code, uint32_t modifiers = 0) {
        key(code, true, modifiers);
        key(code, false, modifiers);
    }
    void pointer(float x, float y);
    void click(float x, float y, uint32_t buttons = 1);
    // The scripted input device picked by the input front-end and made active; its
    // events reach the UI as the kernel's key records and cursor from the next step.
    scripted_input_device_t &use_input_device();

    // ---- frames ----
    void step(int frames = 1);
    // The screen size the next steps report; the layer keeps the last size it read.
    void screen(int32_t width, int32_t height) {
        context.screen_width = width;
        context.screen_height = height;
    }
    // The last frame's draw log as text (r_draw_log_t::dump).
    std::string dump() const;
    // The texts of the last frame's glyph records in drawing order, parted by ",".
    std::string texts() const;

    // ---- texts ----
    // Loads the translations of the language from the archive (through the ".def"
    // loader plug-in) and installs the module's callback; markup is then translated.
    bool localise(const char *language = "en_us");

    // The live objects of the game's UI classes.
    int32_t module_holds() const { return guard.hold_count; }

    ui_guard_probe_t guard;
    ui_test_context_t context;
    temp_dir_t dir;
    message_capture_t messages;
    std::unique_ptr<scripted_input_device_t> device;

private:
    fs_device_t *m_builtin = nullptr;
    fs_device_t *m_temp = nullptr;
    bool m_loaders = false;
    bool m_localised = false;
};

}  // namespace quarn::test
