#pragma once
// The map objects' fixture with the world unit: its class in the engine's bank, maps
// written with the map writer (terrain and objects) and a world made by the test,
// whose impacts a recording sink takes.
#include <string>
#include <vector>

#include "game/world/world.h"
#include "map_objects_fixture.h"

namespace quarn::test {

// What the world's impacts asked for, in order.
class recording_impacts_t : public world_impact_sink_t {
public:
    struct emitter_t {
        std::string name;
        placement_t placement;
    };
    struct sound_t {
        std::string path;
        vec3_t position;
    };
    struct mark_t {
        vec3_t position;
        vec3_t normal;
    };
    bool trigger_emitter(const char *name, const placement_t &placement) override {
        emitters.push_back({name, placement});
        return true;
    }
    void play_sound(const char *path, const vec3_t &position) override { sounds.push_back({path, position}); }
    void add_mark(const vec3_t &position, const vec3_t &normal) override { marks.push_back({position, normal}); }
    void clear() {
        emitters.clear();
        sounds.clear();
        marks.clear();
    }

    std::vector<emitter_t> emitters;
    std::vector<sound_t> sounds;
    std::vector<mark_t> marks;
};

class world_unit_fixture_t : public map_objects_fixture_t {
protected:
    void SetUp() override {
        map_objects_fixture_t::SetUp();
        ASSERT_TRUE(get_engine_ubank()->register_class(&world_u::unit_descriptor));
    }
    void TearDown() override {
        world.reset();
        unit_system_t::clean_garbage();
        get_engine_ubank()->unregister_class(&world_u::unit_descriptor);
        map_objects_fixture_t::TearDown();
    }

    // A new world (replacing the test's earlier one) with the recording sink.
    world_u *make_world() {
        world.reset();
        world = world_u::create();
        world->set_impact_sink(&impacts);
        return world.get();
    }
    // Writes the map (terrain and sections) and loads "/map/<name>/" into a new world.
    world_u *load_world(const std::string &text, const char *name) {
        EXPECT_TRUE(put_map(text, name));
        make_world()->load(("/map/" + std::string(name) + "/").c_str());
        return world.get();
    }
    // Writes a text file below the map folder ("/map/<path>").
    void put_text(const std::string &path, const std::string &text) {
        ASSERT_TRUE(write_file(base.file("map/" + path), text));
    }

    owner_ptr_t<world_u> world;
    recording_impacts_t impacts;
};

}  // namespace quarn::test
