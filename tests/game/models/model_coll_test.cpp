// The collision reader: walks of primitive sets with a material map row, and the
// checks that keep a broken chain from looping for ever or reading outside.
#include <gtest/gtest.h>

#include <functional>

#include "game/models/model_fixtures.h"
#include "game/visuals/models/model_coll_view.h"
#include "game/visuals/models/model_layout.h"
#include "qrncore/strings/name_token.h"
#include "support/message_capture.h"
#include "support/model_walk.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;
using coll_t = test::opened_t<model_coll_view_t>;

// Records every visit in order; answers false for the kinds it is told to.
class recorder_t : public model_coll_visitor_t {
public:
    bool box(const model_coll_prim_t &p) override { return visit("box", p); }
    bool capsule(const model_coll_prim_t &p) override { return visit("capsule", p); }
    bool sphere(const model_coll_prim_t &p) override { return visit("sphere", p); }
    bool plane(const model_coll_prim_t &p) override { return visit("plane", p); }
    bool mesh(const model_coll_prim_t &p) override { return visit("mesh", p); }

    std::vector<std::string> kinds;
    std::vector<model_coll_prim_t> prims;
    std::string refuse;

private:
    bool visit(const char *kind, const model_coll_prim_t &p) {
        kinds.push_back(kind);
        prims.push_back(p);
        return refuse != kind;
    }
};

uint64_t token(const char *name) {
    uint64_t t = 0;
    EXPECT_TRUE(string_to_token(t, name));
    return t;
}

TEST(model_collision, walks_a_set_with_a_row) {
    const coll_t m(test::write_collision(test::fixture_collision()));
    ASSERT_TRUE(m.ok);
    const model_coll_view_t &v = m.view;
    EXPECT_TRUE(test::walk_model(v));
    EXPECT_EQ(v.get_material_count(), 2u);
    EXPECT_TRUE(v.has_set(1));
    EXPECT_TRUE(v.has_row(1));

    recorder_t r;
    ASSERT_TRUE(v.walk(0, 1, r));
    EXPECT_EQ(r.kinds, (std::vector<std::string>{"box", "sphere", "capsule", "plane", "mesh"}));
    const model_coll_prim_t &box = r.prims[0], &sphere = r.prims[1], &capsule = r.prims[2];
    const model_coll_prim_t &plane = r.prims[3], &mesh = r.prims[4];
    // Physics materials come from row 1 of the map: (30, 31).
    EXPECT_EQ(box.material, 30u);
    EXPECT_EQ(box.collision_material, 0u);
    EXPECT_EQ(sphere.material, 31u);
    EXPECT_EQ(box.name, token("trunk"));
    EXPECT_EQ(box.sizes, (vec3_t{1, 2, 3}));
    EXPECT_EQ(box.position, (vec3_t{0, 1, 0}));
    EXPECT_EQ(box.mass, 0.5f);
    EXPECT_TRUE(box.rotation.is_identity());
    EXPECT_EQ(sphere.radius, 0.25f);
    EXPECT_EQ(capsule.radius, 0.1f);
    EXPECT_EQ(capsule.length, 0.8f);
    EXPECT_EQ(capsule.name, token("leg"));
    EXPECT_EQ(plane.plane, (vec4_t{0, 1, 0, 0}));
    ASSERT_EQ(mesh.vertex_count, 3u);
    ASSERT_EQ(mesh.index_count, 3u);
    EXPECT_EQ(mesh.vertices[2], (vec3_t{0, 0, -1}));
    EXPECT_EQ(mesh.indices[1], 1);
    EXPECT_EQ(mesh.material, 31u);

    // Row 0 gives the other materials.
    recorder_t r0;
    ASSERT_TRUE(v.walk(0, 0, r0));
    EXPECT_EQ(r0.prims[0].material, 1u);
    EXPECT_EQ(r0.prims[1].material, 2u);

    // A set that starts with its end record yields nothing and succeeds.
    recorder_t empty;
    EXPECT_TRUE(v.walk(1, 0, empty));
    EXPECT_TRUE(empty.kinds.empty());

    // A visitor's false fails the walk, which still visits every primitive.
    recorder_t refusing;
    refusing.refuse = "sphere";
    EXPECT_FALSE(v.walk(0, 0, refusing));
    EXPECT_EQ(refusing.kinds.size(), 5u);
}

// Each broken chain fails its walk with a "[model]" error before any visit; the other
// set of the same file still walks.
TEST(model_collision, refuses_a_broken_walk) {
    zmgen::zm_collision_t base = test::fixture_collision();
    base.sets.push_back(base.sets[0]);  // set 2 is broken by the cases, set 0 stays whole
    struct case_t {
        const char *name;
        std::function<void(zmgen::zm_collision_t &)> change;  // on set 2
        uint32_t row;
        const char *what;
    };
    const case_t cases[] = {
        {"next record at distance 0", [](auto &c) { c.sets[2][1].next = 0; }, 0, "inside its own"},
        {"next record inside its record", [](auto &c) { c.sets[2][0].next = 60; }, 0, "inside its own 64 bytes"},
        {"unknown type", [](auto &c) { c.sets[2][2].type = 9; }, 0, "unknown type 9"},
        {"type 0", [](auto &c) { c.sets[2][2].type = 0; }, 0, "unknown type 0"},
        {"chain running off the end", [](auto &c) { c.sets[2][4].next = 0x7FFFFFFF; }, 0, "lies outside"},
        {"collision material past the map's columns", [](auto &c) { c.sets[2][3].material = 2; }, 0,
         "collision material 2 of 2"},
        {"physics material above 31", [](auto &c) { c.material_map[1][1] = 32; }, 1, "the physics material 32"},
        {"row past the end", [](auto &) {}, 1000, "row 1000 of the material map"},
        {"mesh record past the table", [](auto &c) { c.sets[2][4].mesh = 0x01000000; }, 0, "the mesh record"},
        {"mesh index past its vertices", [](auto &c) { c.meshes[0].indices[2] = 3; }, 0,
         "mesh index 2 is 3, not below the vertex count 3"},
        {"mesh of broken triangles", [](auto &c) { c.meshes[0].indices.push_back(0); }, 0, "not whole triangles"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        zmgen::zm_collision_t broken = base;
        c.change(broken);
        const coll_t m(test::write_collision(broken), "/model/x/broken.zmc");
        ASSERT_TRUE(m.ok);
        test::message_capture_t capture;
        recorder_t r;
        EXPECT_FALSE(m.view.walk(2, c.row, r));
        EXPECT_TRUE(r.kinds.empty());
        const std::vector<std::string> errors = capture.texts(message_t::ERROR);
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[0], "[model] Model collision '/model/x/broken.zmc' is malformed.");
        EXPECT_NE(errors[1].find(c.what), std::string::npos) << errors[1];
        // The whole set is unharmed, unless the shared tables were broken.
        const std::string name = c.name;
        recorder_t whole;
        if (c.row < 2 && name.find("mesh") == std::string::npos && name.find("physics") == std::string::npos) {
            EXPECT_TRUE(m.view.walk(0, c.row, whole));
        }
    }
}

// Mesh data and set entries reached through patched offsets.
TEST(model_collision, refuses_offsets_past_the_end) {
    const bytes_t good = test::write_collision(test::fixture_collision());
    const uint32_t size = uint32_t(good.size());
    const uint64_t mesh = zmgen::zm_read_u32(good, zm::COLL_MESHES);
    struct case_t {
        const char *name;
        uint64_t at;
        uint32_t value;
        const char *what;
    };
    const case_t cases[] = {
        {"set table past the end", zm::COLL_SETS, size, "the table entry of primitive set 0"},
        {"set pointing past the end", zmgen::zm_read_u32(good, zm::COLL_SETS), size + 4, "lies outside"},
        {"map past the end", zm::COLL_MATERIAL_MAP, size - 4, "row 0 of the material map"},
        {"mesh vertices past the end", mesh + zm::MESH_VERTICES, size - 8, "the mesh vertices"},
        {"mesh vertices unaligned", mesh + zm::MESH_VERTICES, zmgen::zm_read_u32(good, mesh + zm::MESH_VERTICES) + 1,
         "not 4-byte aligned"},
        {"mesh indices past the end", mesh + zm::MESH_INDICES, 0xFFFFFFFF, "the mesh indices"},
        {"mesh vertex count past the end", mesh + zm::MESH_VERTEX_COUNT, 0x40000000, "the mesh vertices"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        bytes_t b = good;
        zmgen::zm_patch_u32(b, c.at, c.value);
        const coll_t m(b);
        ASSERT_TRUE(m.ok);
        test::message_capture_t capture;
        recorder_t r;
        EXPECT_FALSE(m.view.walk(0, 0, r));
        EXPECT_TRUE(r.kinds.empty());
        EXPECT_TRUE(capture.contains(c.what));
    }
    // A set whose table entry lies outside is not there, nor is a row outside.
    const coll_t m(good);
    EXPECT_FALSE(m.view.has_set(size));
    EXPECT_FALSE(m.view.has_row(size));
    // A header cut short.
    test::message_capture_t capture;
    EXPECT_FALSE(coll_t(bytes_t(good.begin(), good.begin() + 39)).ok);
    EXPECT_TRUE(capture.contains("shorter than the 40-byte header"));
}

}  // namespace
}  // namespace quarn
