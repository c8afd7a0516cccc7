// Render queues, effect directories, materials with their passes, and the draw log
// that drawing a queue fills.
#include <gtest/gtest.h>

#include <string>

#include "outside/qrnshared/r_proto.h"
#include "outside/visbase/queue_render.h"
#include "render_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

TEST(render_queue, ids_are_the_lowest_free_numbers) {
    r_queue_t *a = gfx_queue_alloc();
    r_queue_t *b = gfx_queue_alloc();
    r_queue_t *c = gfx_queue_alloc();
    EXPECT_EQ(a->id, 0);
    EXPECT_EQ(b->id, 1);
    EXPECT_EQ(c->id, 2);
    gfx_queue_free(b);
    r_queue_t *d = gfx_queue_alloc();
    EXPECT_EQ(d->id, 1) << "a freed number is taken again";
    gfx_queue_free(a);
    gfx_queue_free(c);
    gfx_queue_free(d);
    gfx_queue_free(nullptr);
    r_queue_t *e = gfx_queue_alloc();
    EXPECT_EQ(e->id, 0);
    EXPECT_EQ(gfx_queue_count(e), 0u);
    gfx_queue_free(e);
}

using effects = render_fixture_t;

TEST_F(effects, directories_and_effect_paths) {
    message_capture_t log;
    EXPECT_FALSE(r_effect_register_directory("effect/rel"));
    EXPECT_FALSE(r_effect_register_directory(""));
    EXPECT_TRUE(r_effect_register_directory("/effect/test")) << "registered twice is fine";
    EXPECT_TRUE(r_effect_is_directory_registered("/effect/test"));

    effect_u *probe = r_effect_get("/effect/test/probe");
    ASSERT_NE(probe, nullptr);
    EXPECT_TRUE(probe->is_kind_of(probe_u::unit_descriptor));
    EXPECT_EQ(r_effect_get("/effect/test/probe"), probe) << "one effect per path";

    const struct {
        const char *path;
        const char *message;
    } bad[] = {
        {"/effect/other/probe", "[effect] The effect '/effect/other/probe' is not in a registered effect directory"},
        {"/effect/test/missing", "[effect] Unknown effect '/effect/test/missing': no class of the type name 'missing'"},
        {"/effect/test/pp_camera", "[effect] The class 'pp_camera' of '/effect/test/pp_camera' is no effect"},
        {"/effect/test/", "names no effect"},
        {"probe", "names no effect"},
        {"/effect/test/sub/probe", "is not in a registered effect directory"},
    };
    for (const auto &c : bad) {
        log.clear();
        EXPECT_EQ(r_effect_get(c.path), nullptr) << c.path;
        EXPECT_TRUE(log.contains(c.message)) << c.path;
    }

    EXPECT_TRUE(r_effect_unregister_directory("/effect/test"));
    EXPECT_FALSE(r_effect_unregister_directory("/effect/test"));
    EXPECT_EQ(r_effect_get("/effect/test/probe"), nullptr);
}

TEST_F(effects, a_material_makes_and_sets_up_its_pass) {
    put_material("a.mat", "    flags: \"0x12\"\n    pass: \"other\"\n");
    c_item_t *item = load("a.mat");
    material_t *m = material_of(item);
    ASSERT_NE(m, nullptr);
    effect_pass_u *pass = material_pass(item);
    ASSERT_NE(pass, nullptr);
    EXPECT_TRUE(pass->is_kind_of(probe_pass_u::unit_descriptor));
    EXPECT_STREQ(pass->get_pass_name(), "other");
    EXPECT_EQ(pass->config.flags, 0x12u);
    EXPECT_EQ(pass->config.material, m);
    EXPECT_EQ(pass->config.queue, queue);
    EXPECT_EQ(pass->get_effect(), r_effect_get("/effect/test/probe"));
    EXPECT_EQ(pass->get_binding_count(), 5u);
    EXPECT_EQ(pass->find_binding(EFFECT_INPUT_VERTEX_UNIFORM, "camera.p")->source.slot, 0);
    EXPECT_EQ(pass->find_binding(EFFECT_INPUT_FRAGMENT_UNIFORM, "camera.p"), nullptr);

    // A second binding of a name is refused.
    message_capture_t log;
    EXPECT_FALSE(pass->texture_sampler(nullptr, "texture"));
    EXPECT_FALSE(pass->vertex_attribute(nullptr, "", 1));
    EXPECT_TRUE(log.contains("[effect] The pass 'other' binds the sampler 'texture' twice"));
    EXPECT_EQ(pass->get_binding_count(), 5u);

    // Another render path sets the pass up again, once.
    probe_pass_u::set_up_path = 0;
    r_effect_set_path(6);
    effect_pass_u *again = material_pass(item);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(probe_pass_u::set_up_path, 6);
    EXPECT_EQ(again->get_binding_count(), 5u);
    r_effect_set_path(GFX_PATH_DEFAULT);
}

TEST_F(effects, materials_without_a_pass_load_and_bad_files_do_not) {
    put_material("unknown_effect.mat", "", "nothing");
    put_material("unknown_pass.mat", "    pass: \"shiny\"\n");
    put_material("refused.mat", "    pass: \"refuse\"\n");
    put("broken.mat", "def material { effect: \"/effect/test/probe\"\n");
    const struct {
        const char *file;
        const char *message;
    } cases[] = {
        {"unknown_effect.mat", "[material] '/t/unknown_effect.mat' has no pass: the effect '/effect/test/nothing' is unknown"},
        {"unknown_pass.mat", "[material] '/t/unknown_pass.mat' has no pass: the effect '/effect/test/probe' has no pass 'shiny'"},
        {"refused.mat", "[material] '/t/refused.mat' has no pass: the pass 'refuse' of '/effect/test/probe' could not be set up"},
    };
    for (const auto &c : cases) {
        message_capture_t log;
        c_item_t *item = load(c.file);
        EXPECT_NE(material_of(item), nullptr) << c.file;
        EXPECT_EQ(material_pass(item), nullptr) << c.file;
        EXPECT_TRUE(log.contains(c.message)) << c.file;
    }
    message_capture_t log;
    c_item_t *broken = load("broken.mat");
    EXPECT_EQ(material_of(broken), nullptr);
    EXPECT_FALSE(broken->has(c_item_t::MEMORY_VALID));
    EXPECT_TRUE(log.contains("/t/broken.mat")) << "the definition reader names the file";
}

// A prototype of n vertices drawn with the array.
struct proto_t {
    proto_t(c_item_t *material, r_parameter_array_t *array, uint32_t vertices) {
        geometry.vertex_count = vertices;
        geometry.index_count = 6;
        vertex.set_buffer(R_PACKET_PNCT, &geometry);
        index.set_buffer(R_PACKET_INDEX16, &geometry);
        proto.packets[0] = &vertex;
        proto.index_packet = &index;
        proto.material = material;
        proto.parameters = array;
    }
    r_geometry_t geometry{};
    r_packet_t vertex, index;
    r_proto_t proto{};
};

TEST_F(effects, prototypes_without_a_drawable_material_are_not_queued) {
    put_material("good.mat", "");
    put_material("passless.mat", "    pass: \"shiny\"\n");
    c_item_t *good = load("good.mat");
    c_item_t *passless = load("passless.mat");
    probe_pass_u::queue = nullptr;
    put_material("queueless.mat", "");
    c_item_t *queueless = load("queueless.mat");

    proto_t a(good, nullptr, 3), none(nullptr, nullptr, 3), b(passless, nullptr, 3), c(queueless, nullptr, 3);
    EXPECT_TRUE(gfx_queue_proto(&a.proto));
    EXPECT_FALSE(gfx_queue_proto(&none.proto));
    EXPECT_FALSE(gfx_queue_proto(&b.proto));
    EXPECT_FALSE(gfx_queue_proto(&c.proto));
    EXPECT_FALSE(gfx_queue_proto(nullptr));
    ASSERT_EQ(gfx_queue_count(queue), 1u);
    EXPECT_EQ(gfx_queue_get(queue, 0), &a.proto);
    gfx_queue_flush(queue);
    EXPECT_EQ(gfx_queue_count(queue), 0u);
}

TEST_F(effects, drawing_a_queue_records_every_input_with_its_value) {
    put_material("bark.mat", "    def textures { texture: \"/texture/bark.tga\" }\n");
    put_material("bare.mat", "");
    c_item_t *bark = load("bark.mat");
    c_item_t *bare = load("bare.mat");

    owner_ptr_t<pp_camera_u> camera(pp_camera_u::create());
    camera->projection.at(0, 3) = 7.0f;
    owner_ptr_t<pp_fog_u> fog(pp_fog_u::create());
    fog->colour = {0.5f, 0.25f, 0, 1};
    r_parameter_array_t with_fog, without_fog;
    with_fog.set(0, camera.get());
    with_fog.set(2, fog.get());
    // Slot 2 holds a packet of another class: the fog source takes its stand-in.
    without_fog.set(0, camera.get());
    without_fog.set(2, camera.get());

    proto_t first(bark, &with_fog, 4), second(bare, &without_fog, 8);
    ASSERT_TRUE(gfx_queue_proto(&first.proto));
    ASSERT_TRUE(gfx_queue_proto(&second.proto));

    r_context_t context(nullptr);
    context.set_draw_log(true);
    context.begin_frame();
    gfx_queue_render(&context, queue);
    context.set_pass(nullptr);
    context.reset_texture_stages(0);
    EXPECT_EQ(gfx_queue_count(queue), 2u) << "drawing leaves the queue as it is";

    const r_draw_log_t &log = context.get_draw_log();
    ASSERT_EQ(log.get_count(), 4u);
    ASSERT_EQ(log.draw_count(), 2u);
    const r_draw_record_t &r = log.draw(0);
    EXPECT_EQ(r.queue, queue->id);
    EXPECT_EQ(r.material, "/t/bark.mat");
    EXPECT_EQ(r.effect, "probe");
    EXPECT_EQ(r.value("camera.p")[3], 7.0f);
    EXPECT_EQ(r.value("fog")[1], 0.25f);
    EXPECT_FALSE(r.find("fog")->absent);
    EXPECT_TRUE(log.draw(1).find("fog")->absent);
    EXPECT_EQ(log.draw(1).value("fog")[0], 1.0f) << "the source's stand-in";
    EXPECT_EQ(log.draw(1).value("counter")[0], 1.0f) << "prepare_parameters ran before the values were taken";
    EXPECT_TRUE(r.has_state("lighting on"));

    mstring_dyn_t text;
    ASSERT_TRUE(log.dump(text));
    const std::string q = std::to_string(queue->id);
    EXPECT_EQ(std::string(text.c_str()),
              "draw queue " + q + " material \"/t/bark.mat\" effect probe pass \"default\"\n"
              "  packets PNCT:4 INDEX16:6\n"
              "  slots pp_camera - pp_fog - - - -\n"
              "  attribute v.position 0\n"
              "  vertex_uniform camera.p slot 0 (1 0 0 7 / 0 1 0 0 / 0 0 1 0 / 0 0 0 1)\n"
              "  fragment_uniform fog slot 2 (0.5 0.25 0 1)\n"
              "  vertex_uniform counter global (1 0 0)\n"
              "  sampler texture \"/texture/bark.tga\"\n"
              "  state lighting on\n"
              "draw queue " + q + " material \"/t/bare.mat\" effect probe pass \"default\"\n"
              "  packets PNCT:8 INDEX16:6\n"
              "  slots pp_camera - pp_camera - - - -\n"
              "  attribute v.position 0\n"
              "  vertex_uniform camera.p slot 0 (1 0 0 7 / 0 1 0 0 / 0 0 1 0 / 0 0 0 1)\n"
              "  fragment_uniform fog slot 2 absent (1 1 1 1)\n"
              "  vertex_uniform counter global (1 0 0)\n"
              "  sampler texture \"\"\n"
              "  state lighting on\n"
              "call set_pass 0\n"
              "call reset_texture_stages 0\n");

    // A new frame empties the log. Its records are used again: a call where a draw
    // was, draws where a draw and a call were, each as a new record would read.
    context.begin_frame();
    EXPECT_EQ(context.get_draw_log().get_count(), 0u);
    context.set_pass(nullptr);
    gfx_queue_render(&context, queue);
    ASSERT_EQ(log.get_count(), 3u);
    EXPECT_EQ(log[0].slots.get_count(), 0u);
    EXPECT_EQ(log[0].inputs.get_count(), 0u);
    EXPECT_EQ(log[0].states.get_count(), 0u);
    mstring_dyn_t again;
    ASSERT_TRUE(log.dump(again));
    // The same draws, the passes' counters one further.
    std::string draws = std::string(text.c_str()).substr(0, std::string(text.c_str()).find("call "));
    for (size_t at; (at = draws.find("counter global (1 ")) != std::string::npos;) draws[at + 16] = '2';
    EXPECT_EQ(std::string(again.c_str()), "call set_pass 0\n" + draws);
    context.begin_frame();
    gfx_queue_render(nullptr, queue);
    gfx_queue_flush(queue);
}

TEST(parameter_array, seven_slots_with_empty_ones) {
    unit_bank_t bank;
    unit_system_t system(bank);
    owner_ptr_t<pp_camera_u> camera(pp_camera_u::create(&system));
    owner_ptr_t<pp_fog_u> fog(pp_fog_u::create(&system));
    {
        r_parameter_array_t a;
        EXPECT_TRUE(a.set(4, fog.get()));
        EXPECT_EQ(a.get_count(), 5u);
        EXPECT_EQ(a.get(0), nullptr);
        EXPECT_EQ(a.get(4), fog.get());
        EXPECT_EQ(a.get(7), nullptr) << "past the last slot";
        EXPECT_FALSE(a.set(7, fog.get()));
        EXPECT_EQ(fog->get_count(), 2u) << "the slot counts its packet";
        a.set(4, nullptr);
        EXPECT_EQ(a.get_count(), 0u);
        EXPECT_EQ(fog->get_count(), 1u);

        owner_ptr_t<parameter_packet_holder_u> holder(parameter_packet_holder_u::create(&system));
        holder->packets.grow(7);
        holder->packets[0] = owner_ptr_ret_t<unit_base_t>(pp_camera_u::create(&system));
        holder->packets[2] = owner_ptr_ret_t<unit_base_t>(pp_fog_u::create(&system));
        holder->packets[3] = owner_ptr_ret_t<unit_base_t>(parameter_packet_holder_u::create(&system));
        a.set(6, camera.get());
        a.fill_from(*holder);
        EXPECT_EQ(a.get_count(), 3u);
        EXPECT_TRUE(a.get(0)->is_kind_of(pp_camera_u::unit_descriptor));
        EXPECT_EQ(a.get(3), nullptr) << "a unit that is no packet stays out";
        EXPECT_EQ(a.get(6), nullptr) << "slots the holder does not fill are emptied";
        a.clear();
    }
    camera.reset();
    fog.reset();
    unit_system_t::clean_garbage();
}

}  // namespace
}  // namespace quarn::test
