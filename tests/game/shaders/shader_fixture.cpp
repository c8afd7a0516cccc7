#include "shader_fixture.h"

#include <cstdio>

#include "kernel/memory/m_server.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/r_queue.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"

namespace quarn::test {

namespace {

void set_command_line(std::vector<const char *> args) {
    args.insert(args.begin(), "fernwold");
    cdl_init(int(args.size()), args.data());
}

}  // namespace

test_packets_t::test_packets_t()
    : camera(pp_camera_u::create()), model(fw4pp_model_u::create()), fog(pp_fog_u::create()),
      light(fw4pp_light_u::create()), terrain(fw4pp_terrain_uv_u::create()),
      texture(fw4pp_texture_transform_u::create()), modulator(fw4pp_light_modulator_u::create()),
      projection(drypp_texprojection_u::create()) {
    array.set(FW_SLOT_CAMERA, camera.get());
    array.set(FW_SLOT_MODEL, model.get());
    array.set(FW_SLOT_FOG, fog.get());
    array.set(FW_SLOT_LIGHT, light.get());
}

test_packets_t::~test_packets_t() { array.clear(); }

void shader_fixture_t::SetUp() {
    kernel_fixture_t::SetUp();
    context.set_draw_log(true);
    set_command_line({"-mm_pool_size", "32"});
    qrnshared_init(dl_lib_t::get_main_handle());
    fs_startup();
    mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 0);
    mm_init();
    qrnshared_startup();
    ASSERT_TRUE(shaderlib_init_queues());
    ASSERT_TRUE(shaderlib_register());
    ASSERT_TRUE(fw_effects_register());
    context.begin_frame();
}

void shader_fixture_t::TearDown() {
    protos.clear();
    for (c_item_t *item : held) item->release_ref();
    held.clear();
    r_effect_set_path(GFX_PATH_DEFAULT);
    dry_set_fog_colour({});
    for (uint32_t i = 0; i < SHADERLIB_QUEUES; ++i) gfx_queue_flush(shaderlib_get_queue(i));
    // The materials go with the memory manager; the effects' directories before.
    fw_effects_unregister();
    shaderlib_unregister();
    kernel_fixture_t::TearDown();
    shaderlib_free_queues();
    ufs_unmount(mount);
    fs_shutdown();
    qrnshared_shutdown();
    set_command_line({});
}

void shader_fixture_t::put(const std::string &name, const std::string &text) {
    ASSERT_TRUE(write_file(dir.file(name), text));
}

c_item_t *shader_fixture_t::material(const std::string &name, const std::string &effect, const std::string &lines) {
    put(name, "def material {\n    effect: \"" + effect + "\"\n" + lines + "}\n");
    c_item_t *item = get_material(("/t/" + name).c_str());
    if (item) held.push_back(item);
    return item;
}

c_item_t *shader_fixture_t::dry(const std::string &name, uint32_t flags, int32_t order) {
    char lines[128];
    snprintf(lines, sizeof lines, "    flags: \"0x%x\"\n    order: \"%d\"\n", flags, order);
    return material(name, "/effect/generic/dry", lines);
}

const r_draw_record_t &shader_fixture_t::draw_one(c_item_t *item, test_packets_t &packets) {
    protos.push_back(std::make_unique<test_proto_t>(item, &packets.array));
    EXPECT_TRUE(gfx_queue_proto(&protos.back()->proto));
    context.begin_frame();
    shaderlib_queue_render_and_flush(&context);
    EXPECT_EQ(context.get_draw_log().draw_count(), 1u);
    return context.get_draw_log().draw(0);
}

std::string inputs_of(const r_draw_record_t &r, uint32_t kind) {
    std::string names;
    for (const r_draw_input_t &in : r.inputs)
        if (in.kind == kind) names += (names.empty() ? "" : " ") + std::string(in.name.c_str());
    return names;
}

std::string bindings_of(const r_draw_record_t &r) {
    return inputs_of(r, EFFECT_INPUT_ATTRIBUTE) + " | " + inputs_of(r, EFFECT_INPUT_VERTEX_UNIFORM) + " | " +
           inputs_of(r, EFFECT_INPUT_FRAGMENT_UNIFORM) + " | " + inputs_of(r, EFFECT_INPUT_SAMPLER);
}

}  // namespace quarn::test
