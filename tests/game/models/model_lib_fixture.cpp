#include "model_lib_fixture.h"

#include "kernel/gfx/gfx.h"
#include "kernel/memory/m_server.h"
#include "qrncore/units/unit_system.h"
#include "zm_shapes.h"
#include "zm_writer.h"

namespace quarn::test {

namespace {

zmgen::zm_bone_t bone(const char *name, uint8_t parent, const vec3_t &at) {
    zmgen::zm_bone_t b;
    b.name = name;
    b.parent = parent;
    b.translation = at;
    return b;
}

// A triangle of three vertices, each with its influence list.
zmgen::zm_piece_t triangle(uint32_t material, const vec3_t (&corners)[3],
                           const std::vector<std::vector<zmgen::zm_influence_t>> &skin) {
    zmgen::zm_piece_t p;
    p.material = material;
    p.tangents = p.further = true;
    for (int i = 0; i < 3; ++i) {
        zmgen::zm_vertex_t v;
        v.position = corners[i];
        v.normal = {0, 0, 1};
        v.uv = {corners[i].x, corners[i].y};
        v.tangent = {1, 0, 0, i == 2 ? -1.0f : 1.0f};
        v.influences = skin[size_t(i)];
        p.vertices.push_back(v);
        p.indices.push_back(uint16_t(i));
    }
    return p;
}

}  // namespace

zmgen::zm_model_t rig_model() {
    zmgen::zm_model_t m;
    zmgen::zm_geometry_t &g = m.geometry;
    g.bones = {bone("root", 255, {0, 1, 0}), bone("tip", 0, {0, 0, -1})};
    const vec3_t a[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const vec3_t b[3] = {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}};
    const vec3_t c[3] = {{0, 0, 2}, {1, 0, 2}, {0, 1, 2}};
    g.pieces.push_back(triangle(0, a, {{{0, 255}}, {{0, 128}, {1, 127}}, {{1, 255}}}));
    g.pieces.push_back(triangle(0, b, {{{1, 255}}, {{1, 255}}, {{0, 255}}}));
    g.pieces.push_back(triangle(1, c, {{{1, 255}}, {{1, 255}}, {{1, 255}}}));
    g.parts = {{"body", 0, 2}, {"head", 2, 1}};
    zmgen::zm_descriptor_t &d = m.descriptor;
    d.material_count = 2;
    d.looks = {{"default", {"skin.mat", "/t/mat/eye.mat"}}, {"winter", {"winter.mat", "/t/mat/eye.mat"}}};
    d.variants = {"default", "hidden"};
    d.parts = {{}, {{"visible", 0, {1, 0}, ""}}};
    return m;
}

zmgen::zm_model_t rock_model() {
    zmgen::zm_model_t m;
    zmgen::zm_piece_t piece;
    zmgen::zm_add_quad(piece, zmgen::zm_shape_t{}, {1, 1});
    m.geometry.pieces.push_back(piece);
    m.geometry.parts = {{"rock", 0, 1}};
    m.descriptor.material_count = 1;
    m.descriptor.looks = {{"default", {"rock.mat"}}};
    m.descriptor.variants = {"default"};
    m.descriptor.parts = {{}};
    return m;
}

zmgen::zm_animation_t rig_animation(const char *name, uint32_t frames, bool loop) {
    zmgen::zm_animation_t a;
    a.name = name;
    a.tracks = {0, 1};
    for (uint32_t f = 0; f < frames + (loop ? 1 : 0); ++f) {
        const uint32_t k = f % frames;
        zmgen::zm_frame_t frame;
        frame.duration = 0.25f;
        frame.keys.resize(2);
        frame.keys[0].translation = {0, 1, 0};
        frame.keys[1].translation = {0, 0, -1.0f - float(k)};
        a.frames.push_back(frame);
    }
    a.length = 0.25f * float(a.frames.size() - 1);
    return a;
}

void model_lib_fixture_t::SetUp() {
    shader_fixture_t::SetUp();
    gfx_start();
    locks = unlocks = 0;
    model_lib_set_lock_callbacks([] { ++locks; }, [] { ++unlocks; });
    ASSERT_TRUE(model_register_classes(*get_engine_ubank()));
    packets = std::make_unique<test_packets_t>();
}

void model_lib_fixture_t::TearDown() {
    for (resource_unit_u *u : obtained) model_release(u);
    obtained.clear();
    packets.reset();
    // Units let go during the test still hold what they used until they are freed.
    unit_system_t::clean_garbage();
    for (int pass = 0; pass < 2; ++pass) {
        for (const unit_descriptor_t *d : {&model_desc_u::unit_descriptor, &model_geom_u::unit_descriptor,
                                           &model_coll_u::unit_descriptor, &model_anim_u::unit_descriptor}) {
            _mm_mem_free_unreferenced(-1, d);
            mm_remove_unreferenced(-1, d);
        }
    }
    EXPECT_EQ(bound(), 0) << "every bound model resource gives its lock back";
    model_lib_set_lock_callbacks(nullptr, nullptr);
    gfx_stop();
    shader_fixture_t::TearDown();
}

std::string model_lib_fixture_t::write_model(const zmgen::zm_model_t &model, const std::string &folder,
                                             const std::string &base) {
    EXPECT_TRUE(zmgen::zm_write_model(model, dir.file(folder), base));
    return "/t/" + folder + "/" + base + ".zmd";
}

void model_lib_fixture_t::write_material(const std::string &name) {
    put(name, "def material {\n    effect: \"/effect/fw4/fw_dif\"\n}\n");
}

void model_lib_fixture_t::write_fixture_models() {
    write_model(rig_model(), "model/rig", "rig");
    write_model(rock_model(), "model/rock", "rock");
    for (const char *m : {"model/rig/skin.mat", "model/rig/winter.mat", "mat/eye.mat", "model/rock/rock.mat"})
        write_material(m);
}

model_desc_u *model_lib_fixture_t::desc(const std::string &path) {
    model_desc_u *d = model_desc_u_obtain(path.c_str());
    if (d) obtained.push_back(d);
    return d;
}

model_anim_u *model_lib_fixture_t::anim(const std::string &path) {
    model_anim_u *a = model_anim_u_obtain(path.c_str());
    if (a) obtained.push_back(a);
    return a;
}

const r_draw_log_t &model_lib_fixture_t::render(std::initializer_list<model_hookup_u *> drawn) {
    context.begin_frame();
    for (model_hookup_u *h : drawn) h->draw();
    shaderlib_queue_render_and_flush(&context);
    return context.get_draw_log();
}

}  // namespace quarn::test
