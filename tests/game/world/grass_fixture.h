#pragma once
// The world fixture with the grass classes (and model templates) in the engine's bank,
// the console variable "g_grass_density", a plant model "/map/model/grass/tuft.zmd"
// and maps whose grass mapgen writes.
#include <gtest/gtest.h>

#include <string>

#include "game/visuals/models/model_template.h"
#include "game/world/grass.h"
#include "kernel/console/cvars.h"
#include "qrncore/units/unit_load_tree.h"
#include "world_unit_fixture.h"

namespace quarn::test {

// Parts of the tuft, each standing on the origin:
// - "blade": one 0.02 × 0.02 quad (4 vertices, 6 indices), material "/t/bark.mat";
// - "pair": two such quads in pieces of their own (bark, then leaf);
// - "ball": a sphere of 4225 vertices (material "/t/leaf.mat"), for the batch limit.
inline const char *TUFT_MODEL = R"(
def model {
    materials: "bark leaf"
    def parts {
        def blade { def a { material: "bark" def q { shape: "quad" size: "0.02 0.02" } } }
        def pair {
            def a { material: "bark" def q { shape: "quad" size: "0.02 0.02" } }
            def b { material: "leaf" def q { shape: "quad" size: "0.02 0.02" } }
        }
        def ball { def a { material: "leaf" def s { shape: "sphere" radius: "0.1" segments: "64" rings: "64" } } }
    }
    def looks { def default { bark: "/t/bark.mat" leaf: "/t/leaf.mat" } }
}
)";

// A flat 64 × 64 map around the origin at height 0 (four chunks, "meadow": grass,
// dirt, rock), with the grass of kinds (a `grass` block's inner text) and any further
// blocks.
inline std::string grass_map(const std::string &kinds, const std::string &more = "") {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "-32 -32 32 32"
    chunks: "2 2"
    spacing: "4"
    material: "meadow"
}
def grass {
)" + kinds + "\n}\n" + more;
}

// One kind of grass of a part of the tuft.
inline std::string tuft_kind(const char *name, const char *substance, const char *part, const char *more = "") {
    return std::string("def ") + name + " { substance: \"" + substance +
           "\" model: \"/map/model/grass/tuft.zmd\" part: \"" + part + "\" " + more + " }\n";
}

class grass_fixture_t : public world_unit_fixture_t {
protected:
    void SetUp() override {
        world_unit_fixture_t::SetUp();
        unit_bank_t *bank = get_engine_ubank();
        own_template_class = bank->get_descriptor("model_template") == nullptr;
        if (own_template_class) {
            ASSERT_TRUE(bank->register_class(&model_template_u::unit_descriptor));
        }
        for (const unit_descriptor_t *d : grass_classes) ASSERT_TRUE(bank->register_class(d));
        cvar_register_variable(&density_variable);
        put("leaf.mat", "def material {\n    effect: \"/effect/fw4/fw_dif_opac\"\n}\n");
        write_model(TUFT_MODEL, "grass", "tuft");
    }
    void TearDown() override {
        grass.reset();
        world.reset();
        unit_system_t::clean_garbage();
        unit_bank_t *bank = get_engine_ubank();
        for (const unit_descriptor_t *d : grass_classes) bank->unregister_class(d);
        if (own_template_class) bank->unregister_class(&model_template_u::unit_descriptor);
        cvar_unregister_variable(&density_variable);
        world_unit_fixture_t::TearDown();
    }

    // Writes and loads the map's world, then its "grass.unit" growing on its landscape.
    grass_u *load_grass(const std::string &map_text, const char *name) {
        load_world(map_text, name);
        return reload_grass(name);
    }
    // Loads "/map/<name>/grass.unit" anew (the world stays).
    grass_u *reload_grass(const char *name) {
        grass.reset();
        grass = load_unit_tree<grass_u>(("/map/" + std::string(name) + "/grass.unit").c_str());
        if (grass) {
            grass->set_landscape(world->get_landscape());
        }
        return grass.get();
    }

    static constexpr const unit_descriptor_t *grass_classes[] = {
        &grass_property_u::unit_descriptor, &grass_set_u::unit_descriptor, &grass_cell_u::unit_descriptor,
        &grass_u::unit_descriptor};
    cvar_t density_variable{"g_grass_density", "1"};
    owner_ptr_t<grass_u> grass;
    bool own_template_class = false;
};

}  // namespace quarn::test
