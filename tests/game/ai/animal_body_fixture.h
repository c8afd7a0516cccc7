#pragma once
// The whitetail's real model and behaviour files (base.tzk and the program's archive,
// as zba_whitetail_fixture_t mounts them) with the animal body classes registered, a
// headless physics scene for ragdolls (gravity 9.81 down, scale 1) that the model
// instances use when no world is current, and helpers to load unit text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/ai/animals/animal_hookup.h"
#include "game/ai/animals/animal_model_inst.h"
#include "game/ai/animals/ragdoll.h"
#include "game/visuals/physics/ode_physics_server.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/shaders/shaderlib.h"
#include "game/voiceover/voiceover.h"
#include "qrncore/units/unit_load.h"
#include "support/memory_file.h"
#include "zba_whitetail_fixture.h"

namespace quarn::test {

class animal_body_fixture_t : public zba_whitetail_fixture_t {
protected:
    static constexpr const char *HOOKUPS = "/script/hookup/1_animals.unit";
    static constexpr const char *MALE = "whitetail.male.animal.model.desc";
    static constexpr const char *FEMALE = "whitetail.female.animal.model.desc";
    static constexpr const char *DUMMY = "/model/animal/whitetail/dummy.zma";

    void SetUp() override {
        zba_whitetail_fixture_t::SetUp();
        unit_bank_t &bank = *get_engine_ubank();
        for (bool ok : {animal_runtime_u::register_class(bank), animal_antler_u::register_class(bank),
                        animal_part_u::register_class(bank), animal_model_desc_u::register_class(bank),
                        animal_model_inst_u::register_class(bank), ragdoll_u::register_class(bank),
                        ragdoll_part_u::register_class(bank), ragdoll_part_capsule_u::register_class(bank),
                        ragdoll_part_sphere_u::register_class(bank), ragdoll_part_box_u::register_class(bank),
                        ragdoll_joint_u::register_class(bank), ragdoll_joint_universal_u::register_class(bank),
                        ragdoll_joint_hinge_u::register_class(bank), ragdoll_joint_root_u::register_class(bank),
                        voiceover_table_u::register_class(bank), voiceover_u::register_class(bank)})
            ASSERT_TRUE(ok);
        scene = server.create_scene(1.0f);
        ASSERT_NE(scene, nullptr);
        scene->set_gravity({0.0f, -9.81f, 0.0f});
        animal_model_inst_u::set_fallback_physics_scene(scene);
    }
    void TearDown() override {
        animal_model_inst_u::set_fallback_physics_scene(nullptr);
        loaders.clear();
        unit_system_t::clean_garbage();
        delete scene;
        scene = nullptr;
        zba_whitetail_fixture_t::TearDown();
    }

    // Loads unit text as a file of that path; the loader (its roots) lives until the
    // test ends. False when the load fails.
    bool load_text(const std::string &text, const std::string &path = "/t/test.unit") {
        memory_file_t in(text, path.c_str());
        loaders.push_back(std::make_unique<unit_load_t>(in, *unit_system_t::get_default()));
        return loaders.back()->load();
    }
    // Loads the shipped hookup descriptions.
    bool load_hookups() {
        auto_ptr_t<file_t> file(fs_open(HOOKUPS, FS_REALM_VIRTUAL));
        if (!file) return false;
        loaders.push_back(std::make_unique<unit_load_t>(*file, *unit_system_t::get_default()));
        return loaders.back()->load();
    }
    template <class T>
    static T *find(const char *name) {
        return unit_cast<T>(unit_system_t::find_unit(name));
    }
    template <class T>
    T *root(uint32_t loader = ~0u) const {
        const unit_load_t &l = *loaders[loader == ~0u ? loaders.size() - 1 : loader];
        for (uint32_t i = 0; i < l.get_root_count(); ++i)
            if (T *t = unit_cast<T>(l.get_root(i))) return t;
        return nullptr;
    }

    ode_physics_server_t server;
    physics_scene_t *scene = nullptr;
    std::vector<std::unique_ptr<unit_load_t>> loaders;
};

}  // namespace quarn::test
