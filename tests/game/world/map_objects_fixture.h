#pragma once
// The landscape fixture with the map objects' classes in the engine's unit bank, a
// plant and tree model written for them (tree_text), and unit text loaded into the
// default unit system.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "game/world/attract_area.h"
#include "game/world/body.h"
#include "game/world/body_actor.h"
#include "game/world/flagpole.h"
#include "game/world/particle_emitter.h"
#include "game/world/plant.h"
#include "game/world/sound_loop.h"
#include "game/world/start_point.h"
#include "game/world/trail.h"
#include "kernel/memory/m_server.h"
#include "landscape_fixture.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_load.h"
#include "support/memory_file.h"
#include "support/message_capture.h"
#include "zm_description.h"
#include "zm_writer.h"

namespace quarn::test {

// A tree of one bone: a trunk 1 × 12 × 1 standing on the origin (part "trunk") and a
// crown 4 × 4 × 4 around (0, 8, 0) (part "DefaultPart"); collision: the trunk's box;
// animations "sway" and "calm" of two frames turning the bone. size scales every length; the
// crown's part may be named otherwise and the collision left out.
inline std::string tree_text(float size = 1.0f, bool default_part = true, bool collision = true) {
    return "def model {\n"
           "    scale: \"" + std::to_string(size) + "\"\n"
           "    materials: \"bark\"\n"
           "    def bones { def root {} }\n"
           "    def parts {\n"
           "        def trunk { def wood { def post { shape: \"box\" size: \"1 12 1\" position: \"0 6 0\" } } }\n"
           "        def " + std::string(default_part ? "DefaultPart" : "leaves") +
           " { def leaves { def crown { shape: \"box\" size: \"4 4 4\" position: \"0 8 0\" } } }\n"
           "    }\n"
           "    def looks { def default { bark: \"/t/bark.mat\" } }\n"
           + std::string(collision ? "    def collision {\n"
                                     "        materials: \"wood\"\n"
                                     "        def material_sets { def default { wood: \"1\" } }\n"
                                     "        def sets { def trunk { def post { shape: \"box\" size: \"1 12 1\""
                                     " position: \"0 6 0\" } } }\n"
                                     "    }\n"
                                   : "") +
           "    def animations {\n"
           "        def sway { loop: \"yes\" frame_time: \"0.5\" def a { def root { ypr: \"0 0 0\" } }"
           " def b { def root { ypr: \"0 0 10\" } } }\n"
           "        def calm { loop: \"yes\" frame_time: \"2\" def a { def root { ypr: \"0 0 0\" } }"
           " def b { def root { ypr: \"0 0 1\" } } }\n"
           "    }\n"
           "}\n";
}

class map_objects_fixture_t : public landscape_fixture_t {
protected:
    void SetUp() override {
        landscape_fixture_t::SetUp();
        for (const unit_descriptor_t *d : classes) ASSERT_TRUE(get_engine_ubank()->register_class(d));
        put("bark.mat", "def material {\n    effect: \"/effect/fw4/fw_dif\"\n}\n");
        ASSERT_TRUE(write_file(base.file("material/decal/simple.mat"),
                               "def material {\n    effect: \"/effect/generic/dry\"\n    flags: \"0x12\"\n}\n"));
    }
    void TearDown() override {
        loader.reset();
        file.reset();
        for (const unit_descriptor_t *d : classes) get_engine_ubank()->unregister_class(d);
        landscape_fixture_t::TearDown();
    }

    void write_model(const std::string &text, const std::string &folder, const std::string &name) {
        zmgen::zm_model_t model;
        ASSERT_TRUE(zmgen::zm_read_description_text(text, name.c_str(), model));
        ASSERT_TRUE(write_file(base.file("map/model/" + folder + "/.keep"), ""));
        ASSERT_TRUE(zmgen::zm_write_model(model, base.file("map/model/" + folder), name));
    }
    // The models of tree_text below "/map/model": "tree/oak", "tree/acatia" (both as
    // given), "bush/bush" (a quarter of the size), "tree/bare" (no DefaultPart) and
    // "rock/rock" (no collision model).
    void write_fixture_models() {
        write_model(tree_text(), "tree", "oak");
        write_model(tree_text(), "tree", "acatia");
        write_model(tree_text(0.25f), "bush", "bush");
        write_model(tree_text(1.0f, false), "tree", "bare");
        write_model(tree_text(1.0f, true, false), "rock", "rock");
    }
    // Loads unit text (the lines between the file's braces); the roots stay until the
    // next load.
    bool load(const std::string &body) {
        return load_text("RozErere\n{\n" + body + "\n}\n");
    }
    // Loads a whole unit file of the virtual tree; false when it is missing or fails.
    bool load_path(const char *path) {
        loader.reset();
        std::string text;
        {
            auto_ptr_t<file_t> f = fs_open(path, FS_REALM_VIRTUAL);
            if (!f) return false;
            text.resize(size_t(f->size()));
            if (!f->block_read(text.data(), text.size(), 0)) return false;
        }
        return load_text(text, path);
    }
    bool load_text(const std::string &text, const char *path = "/map/test/objects.unit") {
        loader.reset();
        file = std::make_unique<memory_file_t>(text, path);
        loader = std::make_unique<unit_load_t>(*file, *unit_system_t::get_default());
        return loader->load();
    }
    uint32_t root_count() const { return loader ? loader->get_root_count() : 0; }
    template <class T>
    T *root(uint32_t i) const {
        return i < loader->get_root_count() ? unit_cast<T>(loader->get_root(i)) : nullptr;
    }

    static constexpr const unit_descriptor_t *classes[] = {
        &body_desc_u::unit_descriptor,       &body_inst_u::unit_descriptor,       &plant_desc_u::unit_descriptor,
        &plant_inst_u::unit_descriptor,      &body_actor_desc_u::unit_descriptor, &body_actor_inst_u::unit_descriptor,
        &flagpole_inst_u::unit_descriptor,   &trail_u::unit_descriptor,           &start_point_u::unit_descriptor,
        &sound_loop_u::unit_descriptor,      &attract_area_u::unit_descriptor,    &particle_emitter_u::unit_descriptor};
    message_capture_t messages;
    std::unique_ptr<memory_file_t> file;
    std::unique_ptr<unit_load_t> loader;
};

}  // namespace quarn::test
