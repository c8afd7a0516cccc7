// The first set of models, as the build packs them into "base.tzk": every file loads
// and walks, descriptors match their geometry, and each kind of model has what its
// users look for (bones, parts, looks, variants, collision, animations).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/models/model_fixtures.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/strings/name_token.h"
#include "support/message_capture.h"
#include "support/model_walk.h"
#include "support/test_paths.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;

class model_content : public ::testing::Test {
protected:
    void SetUp() override {
        fs_startup();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test::test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
    }
    void TearDown() override {
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        fs_shutdown();
    }

    static bytes_t read(const std::string &path) {
        auto_ptr_t<file_t> f = fs_open(path.c_str(), FS_REALM_VIRTUAL);
        if (!f) return {};
        bytes_t b(size_t(f->size()));
        if (!b.empty() && !f->block_read(b.data(), uint32_t(b.size()), 0)) return {};
        return b;
    }

    // A model's files opened and walked: base path without extension.
    struct model_t {
        explicit model_t(const std::string &stem)
            : geom(read(stem + ".zmg"), (stem + ".zmg").c_str()), desc(read(stem + ".zmd"), (stem + ".zmd").c_str()) {}
        test::opened_t<model_geom_view_t> geom;
        test::opened_t<model_desc_view_t> desc;
    };

    void expect_sound(const model_t &m, const std::vector<const char *> &looks,
                      const std::vector<const char *> &variants) {
        ASSERT_TRUE(m.geom.ok && m.desc.ok);
        EXPECT_TRUE(test::walk_model(m.geom.view));
        EXPECT_TRUE(test::walk_model(m.desc.view));
        const model_geom_view_t &g = m.geom.view;
        const model_desc_view_t &d = m.desc.view;
        EXPECT_EQ(d.get_part_count(), g.get_part_count());
        EXPECT_GT(g.get_piece_count(), 0u);
        for (uint32_t p = 0; p < g.get_piece_count(); ++p) EXPECT_LT(g.get_material_slot(p), d.get_material_count());
        EXPECT_EQ(d.get_look_count(), looks.size());
        EXPECT_EQ(d.get_variant_count(), variants.size());
        for (const char *look : looks) EXPECT_GE(d.find_look(look), 0) << look;
        for (const char *variant : variants) EXPECT_GE(d.find_variant(variant), 0) << variant;
    }

    // The animation at path fits the skeleton of g; returns it opened.
    test::opened_t<model_anim_view_t> animation(const std::string &path, const model_geom_view_t &g) {
        test::opened_t<model_anim_view_t> a(read(path), path.c_str());
        EXPECT_TRUE(a.ok) << path;
        if (!a.ok) return a;
        EXPECT_TRUE(test::walk_model(a.view));
        for (uint32_t t = 0; t < a.view.get_track_count(); ++t)
            EXPECT_LT(a.view.get_track_map()[t], g.get_bone_count());
        return a;
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
};

TEST_F(model_content, animals) {
    for (const char *species : {"whitetail", "moose", "grizzly"}) {
        SCOPED_TRACE(species);
        const std::string dir = std::string("/model/animal/") + species + "/";
        const model_t m(dir + "animal");
        expect_sound(m, {"default"}, {"default"});
        const model_geom_view_t &g = m.geom.view;
        for (const char *bone : {"root", "head", "steam", "a_l", "a_r"}) EXPECT_GE(g.find_bone(bone), 0) << bone;
        for (const char *part : {"body", "head", "legs"}) EXPECT_GE(g.find_part(part), 0) << part;
        for (uint32_t p = 0; p < g.get_piece_count(); ++p) EXPECT_GE(g.get_skin_group_size(p), 1u);
        mstring_dyn_t path;
        ASSERT_TRUE(m.desc.view.get_material_path(0, 0, path));
        EXPECT_EQ(std::string(path.c_str()), std::string("/material/animal/") + species + "/body.mat");

        // Collision: set 0 walks with row 0.
        test::opened_t<model_coll_view_t> c(read(dir + "animal.zmc"));
        ASSERT_TRUE(c.ok);
        EXPECT_TRUE(test::walk_model(c.view));
        struct count_t : model_coll_visitor_t {
            bool box(const model_coll_prim_t &) override { return ++n, true; }
            bool capsule(const model_coll_prim_t &) override { return ++n, true; }
            bool sphere(const model_coll_prim_t &) override { return ++n, true; }
            bool plane(const model_coll_prim_t &) override { return ++n, true; }
            bool mesh(const model_coll_prim_t &) override { return ++n, true; }
            int n = 0;
        } count;
        EXPECT_TRUE(c.view.walk(0, 0, count));
        EXPECT_GT(count.n, 0);

        // A one-frame idle, a looping walk that moves forward, a death.
        const auto idle = animation(dir + "idle.zma", g);
        EXPECT_EQ(idle.view.get_frame_count(), 1u);
        const auto walk = animation(dir + "walk.zma", g);
        const uint32_t frames = walk.view.get_frame_count(), tracks = walk.view.get_track_count();
        ASSERT_GE(frames, 3u);
        EXPECT_EQ(memcmp(walk.view.get_keys(), walk.view.get_keys() + size_t(frames - 1) * tracks * 14, tracks * 56u),
                  0);
        ASSERT_NE(walk.view.get_root_translation(), nullptr);
        EXPECT_LT(walk.view.get_root_translation()[1].z, 0.0f);
        const auto death = animation(dir + "death.zma", g);
        EXPECT_GE(death.view.get_frame_count(), 2u);
    }
}

TEST_F(model_content, rifles) {
    struct rifle_t {
        const char *folder;
        std::vector<const char *> looks;
    };
    const rifle_t rifles[] = {
        {"3006bolt", {"default", "3006_default"}},
        {"3030lever", {"default"}},
        {"7mmauto", {"default", "7mm_default"}},
    };
    for (const rifle_t &r : rifles) {
        const char *rifle = r.folder;
        SCOPED_TRACE(rifle);
        const std::string dir = std::string("/model/weapon/") + rifle + "/";
        const model_t m(dir + "weapon");
        expect_sound(m, r.looks, {"default"});
        EXPECT_GE(m.geom.view.find_bone("Bflash"), 0) << "the muzzle";
        for (const char *part : {"stock", "barrel", "action"}) EXPECT_GE(m.geom.view.find_part(part), 0) << part;
        EXPECT_STREQ(m.desc.view.get_material_path(0, 0), "/material/weapon/wood.mat");
        for (const char *name : {"fire", "reload"})
            EXPECT_GE(animation(dir + name + ".zma", m.geom.view).view.get_frame_count(), 2u);
    }
}

TEST_F(model_content, rigid_models) {
    struct case_t {
        const char *stem;
        std::vector<const char *> variants;
        std::vector<const char *> looks = {"default"};
    };
    const case_t cases[] = {
        {"/model/weapon/projectile/bullet/projectile", {"default"}},
        {"/model/weapon/projectile/casing/projectile", {"default", "rifle"}},
        {"/model/weapon/projectile/flash/projectile", {"default"}},
        {"/model/particle/sun", {"default"}},
        // The gift targets' looks beside the default.
        {"/model/object/gift/object", {"default"}, {"default", "target", "gift"}},
        {"/model/animal/whitetail/antlers/spike", {"default"}},
        {"/model/animal/whitetail/antlers/fork", {"default"}},
        {"/model/animal/whitetail/antlers/basket", {"default"}},
        {"/model/animal/whitetail/antlers/crown", {"default"}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.stem);
        test::message_capture_t capture;
        const model_t m(c.stem);
        expect_sound(m, c.looks, c.variants);
        EXPECT_EQ(m.geom.view.get_bone_count(), 0u);
        EXPECT_TRUE(capture.entries().empty());
    }
    // The sky: a look per weather, a variant per map, seen from inside (its triangles
    // face its centre).
    const model_t sky("/model/skybox/model");
    expect_sound(sky, {"flat", "flat_c", "flat_f", "flat_sunset", "flat_violet", "mountain"},
                 {"valley", "peaks", "cross"});
    ASSERT_TRUE(sky.geom.ok);
    const model_geom_view_t &g = sky.geom.view;
    const vec3_t *p = g.get_positions(0);
    const uint16_t *i = g.get_indices(0);
    const vec3_t n = cross(p[i[1]] - p[i[0]], p[i[2]] - p[i[0]]);
    EXPECT_LT(dot(n, p[i[0]]), 0.0f);
}

}  // namespace
}  // namespace quarn
