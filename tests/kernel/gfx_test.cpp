// The graphics front-end: the driver table, buffers that follow the rendering device,
// the immediate cache and what is built from it, the render settings and the capture
// hooks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "kernel/gfx/gfx_cache.h"
#include "kernel/memory/m_server.h"
#include "mm_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

// A device that records what the front-end asks of it.
class recording_device_t : public r_device_t {
public:
    recording_device_t(const char *name, std::vector<std::string> *log) : r_device_t(name), m_log(log) {}
    bool create_buffer(r_buffer_t *b) override {
        m_log->push_back(std::string(name.c_str()) + " create " + std::to_string(b->kind));
        return true;
    }
    void release_buffer(r_buffer_t *b) override {
        m_log->push_back(std::string(name.c_str()) + " release " + std::to_string(b->kind));
    }
    int swap(r_context_t *) override {
        m_log->push_back(std::string(name.c_str()) + " swap");
        return 7;
    }
    bool read_pixels(void *buffer, const r_rect_t &rect) override {
        memset(buffer, 0x42, size_t(rect.width) * size_t(rect.height) * 3);
        return true;
    }

private:
    std::vector<std::string> *m_log;
};

class recording_driver_t : public r_driver_t {
public:
    recording_driver_t(const char *name, std::vector<std::string> *log)
        : r_driver_t(name), first("first", log), second("", log) {}
    uint32_t device_count() override { return 2; }
    r_device_t *device_get(uint32_t i) override { return i == 0 ? &first : i == 1 ? &second : nullptr; }

    recording_device_t first, second;
};

class sized_context_t : public r_context_t {
public:
    using r_context_t::r_context_t;
    void get_size(int32_t *w, int32_t *h) override {
        *w = 4;
        *h = 3;
    }
};

class gfx_front_end : public ::testing::Test {
protected:
    void SetUp() override { gfx_start(); }
    void TearDown() override {
        gfx_set_rendering_device(nullptr);
        gfx_cache_release();
        for (recording_driver_t *d : {&a, &b}) gfx_driver_unregister(d);
        gfx_stop();
    }

    std::vector<std::string> calls;
    recording_driver_t a{"alpha", &calls}, b{"beta", &calls};
    message_capture_t log;
};

TEST_F(gfx_front_end, the_driver_table_holds_four) {
    recording_driver_t extra[3] = {{"c", &calls}, {"d", &calls}, {"e", &calls}};
    EXPECT_EQ(gfx_driver_register(&a), 1);
    EXPECT_EQ(gfx_driver_register(&b), 1);
    EXPECT_EQ(gfx_driver_register(&extra[0]), 1);
    EXPECT_EQ(gfx_driver_register(&extra[1]), 1);
    EXPECT_EQ(gfx_driver_register(&extra[2]), 0);
    EXPECT_TRUE(log.contains("[gfx] Driver table overflow."));
    EXPECT_EQ(gfx_driver_count(), 4);

    EXPECT_EQ(gfx_driver_enum("beta"), &b);
    EXPECT_EQ(gfx_driver_enum("gamma"), nullptr);
    EXPECT_TRUE(log.contains("[gfx] Driver (gamma) not in driver table."));
    EXPECT_EQ(gfx_driver_get(4), nullptr);
    EXPECT_EQ(gfx_device_enum(&a, "first"), &a.first);
    EXPECT_EQ(gfx_device_enum(&a, nullptr), &a.second) << "a device without a name matches the empty name";
    EXPECT_EQ(gfx_device_enum(&a, "third"), nullptr);
    EXPECT_TRUE(log.contains("[gfx] Unrecognized device (third) in driver (alpha)."));
    EXPECT_EQ(gfx_device_enum(nullptr, "first"), nullptr);
    EXPECT_TRUE(log.contains("[gfx] device enum: NULL driver provided!"));

    gfx_driver_unregister(&a);
    EXPECT_EQ(gfx_driver_get(0), &b) << "later drivers move up";
    gfx_driver_unregister(&a);
    EXPECT_TRUE(log.contains("[gfx] Driver not in driver table."));
    for (auto &d : extra) gfx_driver_unregister(&d);
}

TEST_F(gfx_front_end, buffers_follow_the_rendering_device) {
    ASSERT_NE(gfx_get_default_buffer(), nullptr);
    EXPECT_EQ(gfx_get_default_buffer()->kind, GFX_DEFAULT_BUFFER_KIND);
    r_buffer_t *vertices = gfx_alloc_buffer(3, 1024);
    EXPECT_TRUE(calls.empty()) << "no device: nothing made";

    EXPECT_EQ(gfx_set_rendering_device(&a.first), nullptr);
    r_buffer_t *indices = gfx_alloc_buffer(4, 64);
    EXPECT_EQ(calls, (std::vector<std::string>{"first create 12", "first create 3", "first create 4"}));
    calls.clear();
    EXPECT_EQ(gfx_set_rendering_device(&b.first), &a.first);
    EXPECT_EQ(calls, (std::vector<std::string>{"first release 12", "first release 3", "first release 4",
                                               "first create 12", "first create 3", "first create 4"}));
    calls.clear();
    // A fill callback set later makes the device give the buffer its memory again,
    // so the callback fills it at once.
    gfx_buffer_set_fill(vertices, nullptr, &calls);
    EXPECT_EQ(vertices->owner, &calls);
    EXPECT_EQ(calls, (std::vector<std::string>{"first release 3", "first create 3"}));
    gfx_buffer_set_fill(nullptr, nullptr, nullptr);
    calls.clear();
    gfx_free_buffer(vertices);
    gfx_free_buffer(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"first release 3"}));
    gfx_free_buffer(indices);
}

TEST_F(gfx_front_end, the_immediate_cache_overflows_and_grows_at_the_sweep) {
    gfx_cache_take();
    ASSERT_EQ(gfx_cache_size(), GFX_CACHE_INITIAL);
    // A frame asking for 600000 bytes: the part that does not fit gets null.
    EXPECT_NE(gfx_cache_alloc(300000), nullptr);
    EXPECT_EQ(gfx_cache_alloc(300000), nullptr);
    EXPECT_TRUE(gfx_cache_overflowed());
    gfx_cache_sweep();
    EXPECT_EQ(gfx_cache_size(), 786432u);
    EXPECT_TRUE(log.contains("[r_cache] resizing immediate cache to 786432 bytes"));
    EXPECT_EQ(gfx_cache_fill(), 0u);
    EXPECT_FALSE(gfx_cache_overflowed());

    // Blocks keep 16-byte alignment whatever was asked before them.
    uint8_t *p = static_cast<uint8_t *>(gfx_cache_alloc(3));
    uint8_t *q = static_cast<uint8_t *>(gfx_cache_alloc(1));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(q) % 16, 0u);
    EXPECT_EQ(q, p + 16);
    gfx_cache_push();
    gfx_cache_alloc(1000);
    gfx_cache_pop();
    EXPECT_EQ(gfx_cache_alloc(1), p + 32) << "what was taken since the push is free again";
    log.clear();
    gfx_cache_sweep();
    EXPECT_FALSE(log.contains("resizing")) << "only an overflow grows the cache";
}

TEST_F(gfx_front_end, the_vertex_format_table) {
    const struct {
        bool normals;
        int colour;
        bool texcoords;
        uint32_t type;
    } cases[] = {
        {false, 0, false, R_PACKET_P},   {false, 0, true, R_PACKET_PT},   {false, 1, false, R_PACKET_PC},
        {false, 1, true, R_PACKET_PCT},  {false, 2, false, R_PACKET_PS},  {false, 2, true, R_PACKET_PST},
        {true, 0, false, R_PACKET_PN},   {true, 0, true, R_PACKET_PNT},   {true, 1, false, R_PACKET_PNC},
        {true, 1, true, R_PACKET_PNCT},  {true, 2, false, R_PACKET_PNS},  {true, 2, true, R_PACKET_PNST},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gfx_vertex_format(c.normals, c.colour, c.texcoords), c.type) << c.normals << c.colour << c.texcoords;
}

TEST_F(gfx_front_end, immediate_geometry_is_copied_into_a_prototype) {
    gfx_cache_take();
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const uint32_t colour = 0xff00ff00;
    const uint16_t indices[3] = {0, 1, 2};
    gfx_geometry_desc_t d;
    d.flags = GFX_GEOM_POSITIONS | GFX_GEOM_SINGLE_COLOUR | GFX_GEOM_INDEXED;
    d.word = 9;
    d.primitive = 4;
    d.vertex_count = 3;
    d.positions = positions;
    d.colours = &colour;
    d.indices = indices;
    EXPECT_EQ(gfx_cache_data(&d), nullptr) << "indexed without indices";

    d.index_count = 3;
    r_proto_t *proto = gfx_cache_data(&d);
    ASSERT_NE(proto, nullptr);
    EXPECT_EQ(proto->ref_count, 1u);
    ASSERT_NE(proto->packets[0], nullptr);
    EXPECT_EQ(proto->packets[0]->type, R_PACKET_PS);
    EXPECT_EQ(proto->packets[0]->ref_count, 1u) << "the prototype's reference only";
    ASSERT_NE(proto->index_packet, nullptr);
    EXPECT_EQ(proto->index_packet->type, R_PACKET_INDEX16);
    EXPECT_EQ(proto->word, 9u);
    EXPECT_EQ(proto->primitive, 4u);
    const r_geometry_t *g = static_cast<const r_geometry_t *>(proto->packets[0]->data);
    EXPECT_NE(g->positions, positions) << "copied";
    EXPECT_EQ(g->positions[3], 1.0f);
    EXPECT_EQ(g->colours[0], colour);
    EXPECT_EQ(g->indices[2], 2);
    EXPECT_EQ(g->index_count, 3u);
    for (const void *p : {static_cast<const void *>(g->positions), static_cast<const void *>(g->colours),
                          static_cast<const void *>(g->indices)})
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
    gfx_free_proto(proto);

    d.flags |= GFX_GEOM_IN_PLACE;
    proto = gfx_cache_data(&d);
    EXPECT_EQ(static_cast<const r_geometry_t *>(proto->packets[0]->data)->positions, positions);
    gfx_free_proto(proto);
}

// A material whose data is always there.
class material_t : public fake_item_t {
public:
    material_t() {
        flags = MEMORY_VALID;
        data = &texels;
    }
    int texels = 0;
};

TEST_F(gfx_front_end, a_bitmap_is_a_quad_at_the_rectangles_corners) {
    gfx_cache_take();
    material_t material;
    const gfx_rect_t screen{10, 20, 30, 40}, texture{0.25f, 0.5f, 0.0f, 1.0f};
    r_proto_t *proto = gfx_sub_bitmap(&material, &screen, &texture, 0x11223344);
    ASSERT_NE(proto, nullptr);
    EXPECT_EQ(material.fix_count, 0u) << "unfixed again";
    EXPECT_EQ(material.ref_count, 0u);
    EXPECT_EQ(proto->material, &material);
    EXPECT_EQ(proto->primitive, 2u);
    EXPECT_EQ(proto->packets[0]->type, R_PACKET_QUAD);
    const r_geometry_t *g = static_cast<const r_geometry_t *>(proto->packets[0]->data);
    ASSERT_EQ(g->vertex_count, 4u);
    const float positions[12] = {10, 40, 0, 10, 30, 0, 20, 30, 0, 20, 40, 0};
    const float texcoords[8] = {0.25f, 1, 0.25f, 0, 0.5f, 0, 0.5f, 1};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(g->positions[i], positions[i]) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(g->texcoords[i], texcoords[i]) << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(g->colours[i], 0x11223344u);
    gfx_free_proto(proto);

    proto = gfx_bitmap(&material, &screen, 0);
    const r_geometry_t *whole = static_cast<const r_geometry_t *>(proto->packets[0]->data);
    EXPECT_EQ(whole->texcoords[1], 1.0f);
    EXPECT_EQ(whole->texcoords[4], 1.0f);
    gfx_free_proto(proto);

    material.flags = 0;  // nothing to load: no quad
    EXPECT_EQ(gfx_bitmap(&material, &screen, 0), nullptr);
}

TEST_F(gfx_front_end, render_settings_are_clamped_and_a_texture_change_flushes_once_at_the_swap) {
    EXPECT_EQ(gfx_get_anisotropy_factor(), 0.0f) << "no rendering device";
    gfx_set_rendering_device(&a.first);
    EXPECT_EQ(gfx_get_anisotropy_factor(), 0.25f);

    // A memory manager with one texture item holding a hardware copy.
    resource_script_t script;
    test_resource_u::script = &script;
    mm_process *mm = new mm_process;
    c_item_t *texture =
        mm->get_manager().obtain(MM_NAMED_REF, "/tex/bark", &test_resource_u::unit_descriptor, 0);
    texture->hw_key = GFX_TEXTURE_HW_KEY;
    texture->flags |= c_item_t::HW_VALID;

    const struct {
        const char *value;
        float factor;
    } cases[] = {{"2", 1.0f}, {"-0.5", 0.0f}, {"0.5", 0.5f}};
    for (const auto &c : cases) {
        cvar_get("r_anisotropy_factor")->set(c.value);
        EXPECT_EQ(gfx_get_anisotropy_factor(), c.factor) << c.value;
    }
    EXPECT_TRUE(script.events.empty()) << "the flush waits for the swap";
    sized_context_t context(&a.first);
    EXPECT_EQ(gfx_swapbuffers(&context), 7);
    EXPECT_EQ(script.events, (std::vector<std::string>{"hw_unload /tex/bark"}));
    texture->flags |= c_item_t::HW_VALID;
    gfx_swapbuffers(&context);
    EXPECT_EQ(script.events.size(), 1u) << "one flush for the changes";

    cvar_get("r_texture_detail")->set("5");
    EXPECT_EQ(gfx_get_texture_detail(), 2);
    cvar_get("r_texture_detail")->set("-1");
    EXPECT_EQ(gfx_get_texture_detail(), 0);
    cvar_get("r_texture_detail")->set("0");
    cvar_get("r_anisotropy_factor")->set("0.25");

    texture->flags &= ~uint32_t(c_item_t::HW_VALID);
    texture->release_ref();
    delete mm;
    test_resource_u::script = nullptr;
}

std::vector<std::string> hook_calls;
r_image_t last_image;
void hook_one(const r_image_t *image) {
    hook_calls.push_back("one");
    last_image = *image;
}
void hook_two(const r_image_t *) { hook_calls.push_back("two"); }

TEST_F(gfx_front_end, capture_hooks_run_once_the_last_pushed_first) {
    hook_calls.clear();
    sized_context_t context(&a.first);
    EXPECT_EQ(gfx_try_capture(&context), 0) << "no hooks: nothing read";
    EXPECT_EQ(gfx_screen_capture(hook_one), 1);
    EXPECT_EQ(gfx_screen_capture(hook_two), 2);
    gfx_try_capture(&context);
    EXPECT_EQ(hook_calls, (std::vector<std::string>{"two", "one"}));
    EXPECT_EQ(last_image.width, 4);
    EXPECT_EQ(last_image.height, 3);
    EXPECT_EQ(last_image.format, r_image_t::FORMAT_RGB);
    gfx_try_capture(&context);
    EXPECT_EQ(hook_calls.size(), 2u) << "one-shot";

    for (int i = 0; i < 4; ++i) gfx_screen_capture(hook_two);
    EXPECT_EQ(gfx_screen_capture(hook_one), -1);
    EXPECT_TRUE(log.contains("[gfx] Screen capture hook table overflow."));
    hook_calls.clear();
    gfx_try_capture(&context);
    EXPECT_EQ(hook_calls.size(), 4u);
}

TEST_F(gfx_front_end, the_current_mode_stays_zero_and_the_desktop_mode_is_known) {
    r_mode_t mode{1, 2, 3, 4, 5};
    EXPECT_TRUE(gfx_mode_current(&mode));
    EXPECT_EQ(mode.width, 0);
    EXPECT_EQ(mode.flags, 0);
    const r_mode_t desktop = gfx_get_desktop_mode();
    EXPECT_GT(desktop.width, 0);
    EXPECT_GT(desktop.height, 0);
    EXPECT_TRUE(desktop.refresh == 0 || desktop.refresh >= 2);
}

}  // namespace
}  // namespace quarn::test
