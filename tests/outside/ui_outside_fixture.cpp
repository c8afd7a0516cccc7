#include "ui_outside_fixture.h"

#include <cstdlib>

#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/resource_unit.h"
#include "outside/visbase/queue_render.h"

namespace quarn::test {

namespace {

c_item_t *obtain_link(int type, const char *name, const unit_descriptor_t *d, uint32_t flags) {
    return ui_outside_fixture_t::current ? ui_outside_fixture_t::current->obtain(type, name, d, flags) : nullptr;
}

const qs_keycode_t *fetch_link() {
    static qs_keycode_t record;
    auto &keys = ui_outside_fixture_t::keys;
    if (keys.empty()) return nullptr;
    record = keys.front();
    keys.pop_front();
    return &record;
}

void cursor_link(float *x, float *y) {
    if (x) *x = ui_outside_fixture_t::cursor_x;
    if (y) *y = ui_outside_fixture_t::cursor_y;
}

}  // namespace

void fake_mm_item_t::last_reference_gone() {
    if (has(PRIVATE) || has(DESTROY_IMMEDIATELY) || !has(MEMORY_VALID)) destroy();
}

void fake_mm_item_t::destroy() {
    if (resource_unit_u *u = get_unit()) {
        if (has(MEMORY_VALID)) u->unload_memory();
        u->unbind_item(this);
        u->destroy();
        unit = nullptr;
    }
    if (data) m_owner.free_item_memory(this);
    m_owner.forget(this);
    delete this;
}

void *fake_mm_t::allocate_item_memory(c_item_t *item, size_t bytes) {
    free_item_memory(item);
    item->data = std::aligned_alloc(16, (bytes + 15) & ~size_t(15));
    item->size = bytes;
    item->flags |= c_item_t::MEMORY_VALID;
    return item->data;
}

void fake_mm_t::free_item_memory(c_item_t *item) {
    std::free(item->data);
    item->data = nullptr;
    item->size = 0;
    item->flags &= ~uint32_t(c_item_t::MEMORY_VALID);
}

c_item_t *fake_mm_t::obtain(int type, const char *name, const unit_descriptor_t *d, uint32_t flags) {
    const bool anonymous = type == 0 || type == 4;
    const bool keep = type >= 4;
    const int caching = type & 3;
    if (!name) name = "";
    fake_mm_item_t *item = nullptr;
    if (!anonymous) {
        auto found = named.find(name);
        if (found != named.end()) item = found->second;
    }
    if (item) {
        if (d && item->get_unit() && !unit_system_t::inherits_from(item->get_unit()->get_descriptor(), d)) return nullptr;
        item->add_ref();
    } else {
        if (!d) return nullptr;
        item = new fake_mm_item_t(*this, name, !anonymous);
        item->manager = this;
        item->flags = flags | (anonymous ? c_item_t::PRIVATE | c_item_t::DESTROY_IMMEDIATELY : 0u);
        auto *unit = static_cast<resource_unit_u *>(unit_system_t::create_unit_in(system, *d));
        item->unit = unit;
        ++live;
        if (!anonymous) named[name] = item;
        item->add_ref();
        if (!unit || !unit->bind_item(item)) {
            item->release_ref();
            return nullptr;
        }
    }
    if (caching >= 2 && !item->has(c_item_t::MEMORY_VALID)) {
        if (resource_unit_u *u = item->get_unit()) u->load_memory();
        if (!item->has(c_item_t::MEMORY_VALID) && caching == 3) {
            item->release_ref();
            return nullptr;
        }
    }
    if (!keep) --item->ref_count;
    return item;
}

void fake_mm_t::forget(fake_mm_item_t *item) {
    --live;
    for (auto i = named.begin(); i != named.end(); ++i)
        if (i->second == item) {
            named.erase(i);
            break;
        }
}

void fake_mm_t::release_cache() {
    std::vector<fake_mm_item_t *> idle;
    for (auto &n : named)
        if (n.second->ref_count == 0) idle.push_back(n.second);
    for (fake_mm_item_t *i : idle) i->destroy();
}

void ui_outside_fixture_t::SetUp() {
    context.set_draw_log(true);
    system = std::make_unique<unit_system_t>(bank);
    system->set_default();
    ASSERT_TRUE(qrnshared_register_classes(bank));
    mm.system = system.get();
    current = &mm;
    keys.clear();
    cursor_x = cursor_y = 0.0f;
    kernel_links_t links{};
    links.mm_obtain_resource = &obtain_link;
    links.inp_fetch_keycode = &fetch_link;
    links.inp_cursor_info = &cursor_link;
    qrnshared_set_kernel(links);
    fs_startup();
    put("system/font/default.font", "def font {\n    glyph_width: \"10\"\n    line_height: \"20\"\n    spacing: \"4\"\n}\n");
    put("system/ui/default/uidefault.mat", "def material {\n    effect: \"/effect/ui/ui_flat\"\n    size: \"64 32\"\n}\n");
    mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/", false, 0);
    ASSERT_NE(mount, nullptr);
    gfx_set_queue_renderer(gfx_queue_renderer());
    ASSERT_TRUE(register_ui_test_classes(true));
    ASSERT_TRUE(ui_init());
    ui_test_log_t::lines.clear();
    test_text_view_t::forget_dirty_mark = false;
}

void ui_outside_fixture_t::TearDown() {
    ui_shutdown();
    zml_shutdown();
    ui_set_layout_source(nullptr);
    unregister_ui_test_classes();
    mm.release_cache();
    EXPECT_EQ(mm.live, 0u) << "an item outlived the test";
    r_effect_reset();
    gfx_set_queue_renderer(nullptr);
    qrnshared_set_kernel(kernel_links_t{});
    current = nullptr;
    ufs_unmount(mount);
    fs_shutdown();
    unit_system_t::clean_garbage();
    system.reset();
    ui_test_log_t::lines.clear();
}

void ui_outside_fixture_t::put(const std::string &name, const std::string &text) {
    ASSERT_TRUE(write_file(dir.file(name), text));
}

void ui_outside_fixture_t::key(uint32_t code, bool down, uint32_t modifiers) {
    qs_keycode_t r{};
    r.kind = 0;
    r.pressed = down ? 1 : 0;
    r.data[0] = int32_t(code | modifiers << 24);
    keys.push_back(r);
}

void ui_outside_fixture_t::frame() {
    context.begin_frame();
    ui_process(&context);
}

std::string ui_outside_fixture_t::dump() const {
    mstring_dyn_t text;
    context.get_draw_log().dump(text);
    return text.c_str();
}

c_item_t *ui_outside_fixture_t::insert(const char *group, const char *name, const std::string &text, uint32_t flags) {
    return ui_winsert_text(group, name, flags, text.c_str(), "/t/layout.esc");
}

}  // namespace quarn::test
