// The rifles as the game loads them: the unit files, behaviour files, generated models
// and ammunition of the packed content, and the post-load's refusals of broken files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "embedded_archive.h"
#include "game/ai/zba/zba_model_link.h"
#include "game/ai/zba/zba_resources.h"
#include "game/game_data.h"
#include "game/weapons/projectile.h"
#include "game/weapons/weapon_rifle.h"
#include "kernel/memory/m_server.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_load_tree.h"
#include "support/test_paths.h"
#include "weapon_test_host.h"

namespace quarn::test {
namespace {

const unit_descriptor_t *const weapon_classes[] = {
    &casing_u::unit_descriptor, &pellet_u::unit_descriptor, &projectile_u::unit_descriptor,
    &item_u::unit_descriptor,   &weapon_u::unit_descriptor, &weapon_rifle_u::unit_descriptor,
};

class rifle_content : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
        builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        ASSERT_NE(builtin, nullptr);
        zba_set_model_source(&models);
        for (const unit_descriptor_t *d : weapon_classes) ASSERT_TRUE(get_engine_ubank()->register_class(d));
        data_before = get_game_data();
        set_game_data(&data);
    }
    void TearDown() override {
        roots.clear();
        unit_system_t::clean_garbage();
        zba_free_unreferenced();
        zba_set_model_source(nullptr);
        for (const unit_descriptor_t *d : weapon_classes) get_engine_ubank()->unregister_class(d);
        set_game_data(data_before);
        if (builtin) ufs_unmount(builtin);
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        model_lib_fixture_t::TearDown();
    }

    // Loads every unit of the file; false when the load fails.
    bool load_all(const char *path) {
        auto_ptr_t<file_t> file(fs_open(path, FS_REALM_VIRTUAL));
        if (!file) return false;
        unit_load_t loader(*file, *unit_system_t::get_default(), nullptr, path);
        if (!loader.load()) return false;
        for (uint32_t i = 0; i < loader.get_root_count(); ++i) roots.push_back(owner_ptr_t<unit_base_t>(loader.take_root(i)));
        return true;
    }
    weapon_rifle_u *rifle(const char *name) {
        for (const owner_ptr_t<unit_base_t> &u : roots)
            if (auto *r = unit_cast<weapon_rifle_u>(u.get())) {
                mstring_dyn_t own;
                if (r->get_name(own) && strcmp(own.c_str(), name) == 0) return r;
            }
        ADD_FAILURE() << "no rifle " << name;
        return nullptr;
    }
    // Updates by 0.05 s until the rifle is no longer busy (at most 5 s).
    void settle(weapon_rifle_u *r) {
        for (int i = 0; i < 100 && r->get_state() == item_u::STATE_BUSY; ++i) r->update(0.05f);
        EXPECT_NE(r->get_state(), item_u::STATE_BUSY);
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
    fs_device_t *builtin = nullptr;
    zba_model_library_source_t models;
    std::vector<owner_ptr_t<unit_base_t>> roots;
    game_data_t data;
    game_data_t *data_before = nullptr;
    recording_weapon_host_t host;
};

TEST_F(rifle_content, the_three_rifles_load_on_their_generated_models) {
    ASSERT_TRUE(load_all("/script/item/items.unit"));
    struct row_t {
        const char *name;
        int32_t clip;
        bool cycles;
        const char *fire;
    };
    const row_t rows[] = {
        {"3006_bolt", 5, true, "/sound/weapon/ws_3006_fire_v2.ogg"},
        {"3030_lever", 7, true, "/sound/weapon/ws_3030_fire_v1.ogg"},
        {"7mm_auto", 5, false, "/sound/weapon/ws_7mm_fire_v1.ogg"},
    };
    for (const row_t &row : rows) {
        SCOPED_TRACE(row.name);
        weapon_rifle_u *r = rifle(row.name);
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(r->is_loaded());
        EXPECT_EQ(r->get_ammo(), row.clip);
        EXPECT_EQ(r->get_state(), item_u::STATE_LOWERED);
        EXPECT_EQ(r->snd_fire, row.fire);
        EXPECT_GE(r->get_flash_bone(), 0) << "the muzzle bone";
        EXPECT_NE(r->get_flash_model(), nullptr);
        for (uint32_t slot = 0; slot < weapon_u::BEHAVIOR_COUNT; ++slot) {
            const bool cycle = slot == weapon_u::B_RELOAD || slot == weapon_u::B_I_RELOAD;
            EXPECT_EQ(r->has_behavior(slot), !cycle || row.cycles) << weapon_u::behavior_names[slot];
        }
        projectile_u *p = r->get_projectile();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->muzzle_smoke, "emitter.muzzle.smoke");
        ASSERT_NE(p->get_casing(), nullptr);
        EXPECT_NE(p->get_casing()->get_model_packet(), nullptr);
        EXPECT_NE(p->get_pellet(), nullptr);
    }
}

TEST_F(rifle_content, the_bolt_rifle_comes_up_fires_cycles_aims_and_flashes_only_while_drawn) {
    ASSERT_TRUE(load_all("/script/item/items.unit"));
    weapon_rifle_u *r = rifle("3006_bolt");
    ASSERT_NE(r, nullptr);
    r->set_host(&host);
    ASSERT_TRUE(r->raise());
    settle(r);
    ASSERT_EQ(r->get_state(), item_u::STATE_READY);
    EXPECT_EQ(host.ammo_row, "R 5/5");

    r->fire();
    EXPECT_EQ(r->get_action(), 1u);
    EXPECT_FLOAT_EQ(r->get_flash_time(), weapon_rifle_u::FLASH_TIME);
    r->update(0.05f);
    EXPECT_FLOAT_EQ(r->get_flash_time(), weapon_rifle_u::FLASH_TIME) << "not drawn: the flash waits";
    r->draw();
    r->update(0.05f);
    EXPECT_NEAR(r->get_flash_time(), 0.01f, 1e-5f);
    settle(r);
    EXPECT_EQ(r->get_ammo(), 4);
    EXPECT_EQ(r->get_action(), 0u) << "fire, then the bolt's cycle, then ready";

    r->set_aim(true);
    settle(r);
    ASSERT_TRUE(r->is_aiming());
    r->draw();
    EXPECT_FLOAT_EQ(data.first_person_fov, 35.0f);
    r->set_aim(false);
    settle(r);
    r->draw();
    EXPECT_FLOAT_EQ(data.first_person_fov, 60.0f);

    // The reload: "open" loads the clip (load_one_round), "close" follows.
    r->reload();
    settle(r);
    EXPECT_EQ(r->get_ammo(), 5);
    EXPECT_EQ(r->get_action(), 0u);
}

TEST_F(rifle_content, broken_rifle_and_ammunition_files_fail_the_load_with_their_message) {
    const std::string ammo_head = "RozErere\n{\nprojectile : _nameless\n{\n";
    const std::string parts =
        "casing : .casing { model_object: .model.casing }\n"
        "pellet : .pellet { model_object: .model.pellet }\n"
        "model_object : .model.casing { model_desc: \"/model/weapon/projectile/casing/projectile.zmd\" variant: rifle }\n"
        "model_object : .model.pellet { model_desc: \"/model/weapon/projectile/bullet/projectile.zmd\" }\n";
    ASSERT_TRUE(write_file(dir.file("good.unit"), ammo_head + "casing: .casing\npellet: .pellet\n}\n" + parts + "}\n"));
    ASSERT_TRUE(write_file(dir.file("zero.unit"),
                           ammo_head + "casing: .casing\npellet: .pellet\npellet_count: 0\n}\n" + parts + "}\n"));
    ASSERT_TRUE(write_file(dir.file("empty.unit"), ammo_head + "}\n}\n"));
    ASSERT_TRUE(write_file(dir.file("casing.unit"),
                           "RozErere\n{\ncasing : _nameless { model_object: .model }\n"
                           "model_object : .model { model_desc: \"/model/weapon/projectile/casing/projectile.zmd\" }\n}\n"));

    struct case_t {
        const char *name;
        std::string keys;  // the rifle's keys besides the good ones it keeps
        std::vector<std::string> errors;
    };
    const case_t cases[] = {
        {"no behaviour file", "zba_filename: \"/t/none.zba\"", {"[game] Failed to load zba model '/t/none.zba'"}},
        {"no ammunition file", "ammo_filename: \"/t/none.unit\"",
         {"[unit] load_unit_tree() - Failed to open file (/t/none.unit)"}},
        {"a root that is no projectile", "ammo_filename: \"/t/casing.unit\"",
         {"[unit] load_unit_tree() - Failed to load unit tree from file (/t/casing.unit)"}},
        {"no flash model", "flash_model: null", {"[game] flash_model not found"}},
        {"no pellets", "ammo_filename: \"/t/zero.unit\"",
         {"[game] pellet_count must be > 0", "[unit] load_unit_tree() - Failed to load unit tree from file (/t/zero.unit)"}},
        {"neither pellet nor casing", "ammo_filename: \"/t/empty.unit\"",
         {"[game] No pellet found", "[unit] load_unit_tree() - Failed to load unit tree from file (/t/empty.unit)"}},
        {"an empty clip", "ammo_max: 0", {"[game] ammo_max must be > 0"}},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = std::string("RozErere\n{\nweapon_rifle : test_rifle\n{\n") +
                                 "zba_filename: \"/model/weapon/3006bolt/weapon.zba\"\n"
                                 "ammo_filename: \"/t/good.unit\"\nammo_max: 5\nflash_model: .flash\n" +
                                 c.keys + "\n}\nmodel_object : .flash { model_desc: " +
                                 "\"/model/weapon/projectile/flash/projectile.zmd\" }\n}\n";
        ASSERT_TRUE(write_file(dir.file("rifle.unit"), text));
        log.clear();
        owner_ptr_t<weapon_rifle_u> r(load_unit_tree<weapon_rifle_u>("/t/rifle.unit"));
        EXPECT_EQ(r.get(), nullptr);
        std::vector<std::string> own;
        for (const std::string &e : log.texts(message_t::ERROR))
            if (e.rfind("[game]", 0) == 0 || e.find("load_unit_tree()") != std::string::npos) own.push_back(e);
        own.erase(std::remove(own.begin(), own.end(),
                              "[unit] load_unit_tree() - Failed to load unit tree from file (/t/rifle.unit)"),
                  own.end());
        EXPECT_EQ(own, c.errors);
    }

    // The good file loads.
    ASSERT_TRUE(write_file(dir.file("rifle.unit"),
                           "RozErere\n{\nweapon_rifle : test_rifle\n{\n"
                           "zba_filename: \"/model/weapon/3006bolt/weapon.zba\"\nammo_filename: \"/t/good.unit\"\n"
                           "ammo_max: 5\nflash_model: .flash\n}\nmodel_object : .flash { model_desc: "
                           "\"/model/weapon/projectile/flash/projectile.zmd\" }\n}\n"));
    owner_ptr_t<weapon_rifle_u> r(load_unit_tree<weapon_rifle_u>("/t/rifle.unit"));
    EXPECT_NE(r.get(), nullptr);
}

TEST_F(rifle_content, a_casing_placed_twice_lies_at_the_second_place) {
    owner_ptr_t<projectile_u> p(load_projectile_tree("/script/ammo/30-06.unit"));
    ASSERT_NE(p.get(), nullptr);
    casing_u *c = p->get_casing();
    ASSERT_NE(c, nullptr);
    c->place(placement_t({1.0f, 2.0f, 3.0f}, quat_t{}));
    const float radius = c->get_bounds().radius;
    c->place(placement_t({-4.0f, 0.5f, 7.0f}, quat_t{}));
    EXPECT_FLOAT_EQ(c->get_bounds().radius, radius);
    const sphere_t whole = c->get_model()->get_geom()->get_bounding_sphere(-1);
    EXPECT_NEAR(c->get_bounds().center.x, -4.0f + whole.center.x, 1e-5f);
    EXPECT_NEAR(c->get_bounds().center.y, 0.5f + whole.center.y, 1e-5f);
    EXPECT_NEAR(c->get_bounds().center.z, 7.0f + whole.center.z, 1e-5f);
    const mat4_t m = c->get_model_packet()->matrix;
    EXPECT_EQ(m, placement_scale_t({-4.0f, 0.5f, 7.0f}, 1.0f, quat_t{}).compute_matrix());
}

}  // namespace
}  // namespace quarn::test
