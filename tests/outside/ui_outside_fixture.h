#pragma once
// The UI layer without the kernel: a small memory manager of the test's own (items
// made on request, named ones cached by name, data in host memory), a unit system of
// its own as the default, files in a folder mounted at "/" (a default font and a UI
// material are written there), key records and a cursor the test sets, the test
// entity classes registered, and the graphics layer's renderer recording the UI's
// queue into a context's draw log.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>

#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "outside/qrnshared/ui/zml.h"
#include "outside/visbase/render.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/ui_test_views.h"

namespace quarn::test {

class fake_mm_t;

// An item of the fake manager: destroyed with its last reference when it is private,
// destroy-immediately or without memory (as the kernel's items are).
class fake_mm_item_t : public c_item_t {
public:
    fake_mm_item_t(fake_mm_t &owner, std::string item_name, bool named)
        : m_owner(owner), m_name(std::move(item_name)), m_named(named) {}
    const char *get_name() const override { return m_named ? m_name.c_str() : "anonymous"; }
    bool is_named() const override { return m_named; }
    void mlru_enter() override {}
    void mlru_leave() override {}
    void touch() override {}
    void last_reference_gone() override;
    void destroy() override;
    void set_alias_target(c_item_t *) override {}
    c_item_t *resolve() override { return this; }
    int refresh() override { return 3; }
    void reserved(void *) override {}
    void debug_break() override {}

private:
    fake_mm_t &m_owner;
    std::string m_name;
    bool m_named;
};

class fake_mm_t : public c_item_manager_t {
public:
    void *allocate_item_memory(c_item_t *item, size_t bytes) override;
    void free_item_memory(c_item_t *item) override;
    void attach_child(c_item_t *, c_item_t *) override {}
    void detach_child(c_item_t *) override {}

    c_item_t *obtain(int type, const char *name, const unit_descriptor_t *d, uint32_t flags);
    void forget(fake_mm_item_t *item);
    // Drops the named items only the cache holds.
    void release_cache();

    unit_system_t *system = nullptr;
    std::map<std::string, fake_mm_item_t *> named;
    size_t live = 0;  // items that exist
};

class ui_outside_fixture_t : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes "<name>" below the folder mounted at "/".
    void put(const std::string &name, const std::string &text);
    // A key record for the next frame.
    void key(uint32_t code, bool down, uint32_t modifiers = 0);
    // One frame of the layer, with the draw log emptied first.
    void frame();
    // The draw log as text.
    std::string dump() const;
    // Inserts a window from layout text named "/t/layout.esc", as ui_winsert does.
    c_item_t *insert(const char *group, const char *name, const std::string &text, uint32_t flags = 0);

    unit_bank_t bank;
    std::unique_ptr<unit_system_t> system;
    fake_mm_t mm;
    temp_dir_t dir;
    fs_device_t *mount = nullptr;
    r_context_t context{nullptr};
    message_capture_t messages;

public:
    static inline fake_mm_t *current = nullptr;
    static inline std::deque<qs_keycode_t> keys;
    static inline float cursor_x = 0.0f, cursor_y = 0.0f;
};

}  // namespace quarn::test
