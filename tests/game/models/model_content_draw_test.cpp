// The first models as the game gets them from "base.tzk": every descriptor makes an
// object in each of its looks, every material it names exists and has a pass, and
// every visible piece reaches the draw log.
#include <gtest/gtest.h>

#include <string>

#include "model_lib_fixture.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class model_content_draw : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
    }
    void TearDown() override {
        // Loaded resources keep no file open: the archive can go first.
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        model_lib_fixture_t::TearDown();
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
};

TEST_F(model_content_draw, every_model_draws_with_the_materials_it_names) {
    const char *const models[] = {
        "/model/animal/whitetail/animal.zmd",       "/model/animal/moose/animal.zmd",
        "/model/animal/grizzly/animal.zmd",         "/model/weapon/3006bolt/weapon.zmd",
        "/model/weapon/3030lever/weapon.zmd",       "/model/weapon/7mmauto/weapon.zmd",
        "/model/weapon/projectile/bullet/projectile.zmd", "/model/weapon/projectile/casing/projectile.zmd",
        "/model/weapon/projectile/flash/projectile.zmd",  "/model/skybox/model.zmd",
        "/model/particle/sun.zmd",                  "/model/object/gift/object.zmd",
        "/model/ambient/squirrel/ambient.zmd",      "/model/animal/whitetail/antlers/spike.zmd",
        "/model/animal/whitetail/antlers/fork.zmd", "/model/animal/whitetail/antlers/basket.zmd",
        "/model/animal/whitetail/antlers/crown.zmd",
    };
    model_packets_for_all_t all(&packets->array);
    for (const char *path : models) {
        SCOPED_TRACE(path);
        model_desc_u *d = desc(path);
        ASSERT_NE(d, nullptr);
        for (uint32_t look = 0; look < d->view().get_look_count(); ++look) {
            for (uint32_t slot = 0; slot < d->get_material_count(); ++slot) {
                mstring_dyn_t material;
                ASSERT_TRUE(d->get_material_path(look, slot, material));
                EXPECT_EQ(material.c_str()[0], '/');
                c_item_t *item = get_material(material.c_str());
                ASSERT_NE(item, nullptr) << material.c_str();
                EXPECT_NE(material_pass(item), nullptr) << material.c_str();
                item->release_ref();
            }
            log.clear();
            owner_ptr_t<model_object_u> o(d->create_object(look, 0, &all));
            ASSERT_TRUE(o);
            EXPECT_TRUE(log.texts(message_t::WARNING).empty());
            uint32_t pieces = 0;
            const model_geom_view_t &g = o->get_geom()->view();
            for (uint32_t part = 0; part < o->get_part_count(); ++part)
                if (o->is_part_visible(part)) pieces += g.get_part_piece_count(part);
            EXPECT_GT(pieces, 0u);
            EXPECT_EQ(render({o.get()}).draw_count(), pieces);
        }
    }
}

}  // namespace
}  // namespace quarn::test
