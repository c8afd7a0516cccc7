// The maps' objects as the build packs them into "base.tzk": the three unit files of
// every map load side by side with the game's classes (models, collision, parts and
// sounds found), every trail keeps off the water, no plant or body stands on a trail,
// and every stage of a map has what its rounds are written against: the player's start
// and twelve round trails crossing its view within rifle range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/ai/nav/ai_navigation.h"
#include "game/ai/nav/ai_sector.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/visual_objects.h"
#include "game/visuals/models/model_lib.h"
#include "kernel/memory/m_server.h"
#include "map_objects_fixture.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

constexpr float DEGREES = 57.29578f;
constexpr const char EMITTERS[] = "/script/hookup/emitters.unit";

class map_objects_content : public map_objects_fixture_t {
protected:
    void SetUp() override {
        map_objects_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        archive = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(archive, nullptr);
        ASSERT_TRUE(visual_objects_register(*get_engine_ubank()));
        ASSERT_TRUE(model_register_classes(*get_engine_ubank()));
    }
    void TearDown() override {
        files.clear();
        loader.reset();
        free_cached();
        visual_objects_unregister();
        if (archive) ufs_unmount(archive);
        fs_set_archive_factory(previous);
        map_objects_fixture_t::TearDown();
    }

    // Loads the emitters' hookup file, then the map's three files, each kept loaded, as
    // the game has them at once (the map's emitters copy the hookup's particle sets).
    bool load_map_units(const std::string &map) {
        files.clear();
        for (std::string path : {std::string(EMITTERS), "/map/" + map + "/landscape.game.unit",
                                 "/map/" + map + "/landscape.trail.unit", "/map/" + map + "/landscape.start.unit"}) {
            if (!load_path(path.c_str())) {
                ADD_FAILURE() << path << ": " << (messages.entries().empty() ? "" : messages.entries().back().text);
                return false;
            }
            files.push_back(std::move(loader));
            loaded.push_back(std::move(file_holder));
        }
        return true;
    }
    // Every root of the loaded files of class T.
    template <class T>
    std::vector<T *> all() const {
        std::vector<T *> out;
        for (const auto &f : files)
            for (uint32_t i = 0; i < f->get_root_count(); ++i)
                if (T *u = unit_cast<T>(f->get_root(i))) out.push_back(u);
        return out;
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *archive = nullptr;
    std::vector<std::unique_ptr<unit_load_t>> files;
    std::vector<std::unique_ptr<memory_file_t>> loaded;
    std::unique_ptr<memory_file_t> &file_holder = file;
};

// Points every step units along the trail's nodes (x and z).
std::vector<vec3_t> samples(const trail_u &t, float step = 1.0f) {
    std::vector<vec3_t> out;
    for (uint32_t s = 0; s < t.get_segment_count(); ++s) {
        const trail_segment_t seg = t.get_segment(s);
        const int n = int(std::ceil(seg.length() / step));
        for (int i = 0; i < n; ++i) out.push_back(lerp(seg.start_position, seg.end_position, float(i) / float(n)));
    }
    if (t.get_node_count()) out.push_back(t.get_position(t.get_node_count() - 1));
    return out;
}

float flat_distance(const vec3_t &a, const vec3_t &b) { return std::hypot(a.x - b.x, a.z - b.z); }

bool is_round_trail(const trail_u &t) { return t.name_text().c_str()[0] && !strstr(t.name_text().c_str(), "camera"); }

TEST_F(map_objects_content, every_map_loads_its_objects_side_by_side) {
    for (const char *map : {"valley", "peaks", "cross"}) {
        SCOPED_TRACE(map);
        messages.clear();
        ASSERT_TRUE(load_map_units(map));
        EXPECT_FALSE(messages.contains("Failed")) << "every collision model is there";

        // The player's start comes first; animals have starts of their own.
        const std::vector<start_point_u *> starts = all<start_point_u>();
        ASSERT_FALSE(starts.empty());
        EXPECT_EQ(unit_system_t::find_unit("PlayerStart.startPoint0"), starts[0]);
        EXPECT_EQ(starts[0]->get_category(), start_point_u::CATEGORY_hunter);
        uint32_t animal_starts = 0;
        for (const start_point_u *s : starts) animal_starts += s->get_category() == start_point_u::CATEGORY_animal;
        EXPECT_GE(animal_starts, 4u);

        // Woods of hundreds of plants, rocks among them; plants and bodies stand on
        // their models; sound loops name existing sounds.
        EXPECT_GE(all<body_inst_u>().size(), 600u) << "plants and bodies";
        EXPECT_GE(all<plant_inst_u>().size(), 400u);
        EXPECT_GE(all<body_inst_u>().size() - all<plant_inst_u>().size(), 40u) << "rocks";
        for (plant_desc_u *p : all<plant_desc_u>()) EXPECT_EQ(p->get_part_indices()->get_count(), 1u);
        for (body_inst_u *b : all<body_inst_u>()) EXPECT_TRUE(b->init_unit());
        const std::vector<sound_loop_u *> sounds = all<sound_loop_u>();
        EXPECT_GE(sounds.size(), 3u);
        for (const sound_loop_u *s : sounds) EXPECT_TRUE(fs_stat(s->m_sound_file.c_str(), nullptr, FS_REALM_VIRTUAL));
        EXPECT_GE(all<attract_area_u>().size(), 2u);

        // Trails keep off the water cells, and nothing stands on a round trail or in
        // the water.
        ai_navigation_t nav;
        ASSERT_TRUE(nav.load(0, ("/map/" + std::string(map) + "/sector.ai").c_str()));
        const ai_sector_t &sector = nav.get_sector();
        for (const body_inst_u *b : all<body_inst_u>()) {
            const vec3_t p = b->get_placement().position;
            for (uint32_t c = 0; c < sector.get_cell_count(); ++c)
                EXPECT_FALSE(sector.get_cell(c).kind == 3 && sector.contains(c, p)) << "in water at " << p.x << " " << p.z;
        }
        for (const trail_u *t : all<trail_u>()) {
            if (!is_round_trail(*t)) continue;
            for (const vec3_t &p : samples(*t, 2.0f)) {
                for (uint32_t c = 0; c < sector.get_cell_count(); ++c)
                    EXPECT_FALSE(sector.get_cell(c).kind == 3 && sector.contains(c, p))
                        << t->name_text().c_str() << " in water at " << p.x << " " << p.z;
            }
            for (const body_inst_u *b : all<body_inst_u>()) {
                for (const vec3_t &p : samples(*t))
                    ASSERT_GT(flat_distance(p, b->get_placement().position), 3.0f)
                        << t->name_text().c_str() << " passes through the thing at " << b->get_placement().position.x
                        << " " << b->get_placement().position.z;
            }
        }
        files.clear();
        free_cached();
    }
}

// The plants are of a dozen kinds at least (trees, young trees, dead wood, bushes),
// each a model with its "DefaultPart"; plants and rocks keep to budgets of triangles,
// since each is drawn hundreds of times.
TEST_F(map_objects_content, the_maps_plants_are_of_many_kinds_within_their_triangle_budgets) {
    std::set<std::string> plant_models;
    for (const char *map : {"valley", "peaks", "cross"}) {
        SCOPED_TRACE(map);
        ASSERT_TRUE(load_map_units(map));
        std::map<const body_desc_u *, uint32_t> triangles;
        for (body_desc_u *d : all<body_desc_u>()) {
            ASSERT_GT(d->get_instance_count(), 0u) << d->name_text().c_str();
            const model_inst_u *m = d->get_instance(0);
            uint32_t n = 0;
            for (uint32_t p = 0; p < m->get_piece_count(); ++p) n += m->get_piece(p).index_count / 3;
            triangles[d] = n;
            const bool plant = unit_cast<plant_desc_u>(d) != nullptr;
            EXPECT_LE(n, plant ? 600u : 400u) << d->name_text().c_str();
            if (plant) plant_models.insert(d->m_model_file.c_str());
        }
        uint64_t total = 0;
        for (const body_inst_u *b : all<body_inst_u>()) total += triangles[b->get_desc()];
        EXPECT_LE(total, 300000u) << "triangles of every plant and body of the map";
        files.clear();
        free_cached();
    }
    EXPECT_GE(plant_models.size(), 12u);
}

// The round trails of every stage of a map cross the view of the stage's start within
// rifle range, and its second intro camera ends behind the player looking the player's
// way (the names are those the rounds look up).
TEST_F(map_objects_content, every_stages_round_trails_cross_the_players_view_within_rifle_range) {
    const struct {
        const char *map;
        int stages;
    } maps[] = {{"valley", 2}, {"cross", 4}, {"peaks", 4}};
    for (const auto &m : maps) {
        ASSERT_TRUE(load_map_units(m.map)) << m.map;
        for (int s = 0; s < m.stages; ++s) {
            const std::string stage = std::to_string(s);
            SCOPED_TRACE(std::string(m.map) + " stage " + stage);
            const start_point_u *start =
                unit_cast<start_point_u>(unit_system_t::find_unit(("PlayerStart.startPoint" + stage).c_str()));
            ASSERT_NE(start, nullptr);
            EXPECT_EQ(start->get_category(), start_point_u::CATEGORY_hunter);
            const vec3_t eye = start->get_placement().position;
            const vec3_t facing = start->get_placement().rotation.get_cartes();
            const float limit = start->get_view_limit();

            std::vector<std::string> names;
            for (int i = 0; i < 10; ++i) names.push_back("trails" + stage + ".trail" + std::to_string(i));
            for (int i = 0; i < 2; ++i) names.push_back("ambient.stage" + stage + ".trail" + std::to_string(i));
            for (const std::string &name : names) {
                SCOPED_TRACE(name);
                const trail_u *t = unit_cast<trail_u>(unit_system_t::find_unit(name.c_str()));
                ASSERT_NE(t, nullptr);
                float nearest = 1e9f, in_view = 0.0f;
                const std::vector<vec3_t> points = samples(*t, 0.5f);
                for (size_t i = 0; i < points.size(); ++i) {
                    const vec3_t d = points[i] - eye;
                    const float distance = std::hypot(d.x, d.z);
                    nearest = std::fmin(nearest, distance);
                    const float angle = std::acos((d.x * facing.x + d.z * facing.z) / distance) * DEGREES;
                    if (distance >= 40.0f && distance <= 90.0f && angle <= limit && i) in_view += 0.5f;
                }
                EXPECT_GE(nearest, 40.0f);
                EXPECT_LE(nearest, 90.0f);
                EXPECT_GE(in_view, 40.0f) << "units of the trail within range and in view";
                for (uint32_t n = 0; n < t->get_node_count(); ++n) EXPECT_GT(t->get_speed(n), 0.0f);
            }
            for (int i = 0; i < 2; ++i) {
                const std::string camera = "cameras" + stage + ".trail" + std::to_string(i);
                const trail_u *t = unit_cast<trail_u>(unit_system_t::find_unit(camera.c_str()));
                ASSERT_NE(t, nullptr) << camera;
                EXPECT_GE(t->get_node_count(), 4u);
            }
            const trail_u *down = unit_cast<trail_u>(unit_system_t::find_unit(("cameras" + stage + ".trail1").c_str()));
            const vec3_t last = down->get_rotation(down->get_node_count() - 1).get_cartes();
            EXPECT_GT(last.x * facing.x + last.z * facing.z, 0.9f);
            const vec3_t end = down->get_position(down->get_node_count() - 1);
            EXPECT_LT(std::hypot(end.x - eye.x, end.z - eye.z), 8.0f) << "the camera ends at the player";
        }
        files.clear();
        free_cached();
    }
}

// The emitters the world fires where a bullet hits (one for each substance it names)
// copy particle sets whose quads load; each fired copy runs out. The waterfall on
// "cross" runs from the start, for ever.
TEST_F(map_objects_content, the_hookups_hold_the_impact_emitters_and_cross_its_waterfall) {
    ASSERT_TRUE(load_map_units("cross"));
    for (const char *substance : {"snow", "meadow", "grass", "leaves", "dirt", "sand", "mud_dry", "gravel", "rock",
                                  "metal", "water"}) {
        const std::string name = std::string("emitter.throw.") + substance;
        SCOPED_TRACE(name);
        const particle_emitter_u *e = unit_cast<particle_emitter_u>(unit_system_t::find_unit(name.c_str()));
        ASSERT_NE(e, nullptr);
        EXPECT_FALSE(e->m_loop);
        EXPECT_FALSE(e->m_autostart);
        ASSERT_FALSE(e->m_emit_stop_times.is_empty());
        ASSERT_NE(e->get_particle_set(), nullptr);
        const particle_gen_u *g = e->get_particle_set()->get_generator(0);
        ASSERT_NE(g, nullptr);
        ASSERT_NE(g->get_model(), nullptr);
        EXPECT_TRUE(g->get_model()->is_loaded());
        // The pause after the burst outlives the longest particle (life + 20 %).
        ASSERT_EQ(e->m_emit_stop_times.get_count(), 2u);
        EXPECT_GE(e->m_emit_stop_times[1], 1.2f * g->m_time_to_live);
    }
    const particle_emitter_u *spray = unit_cast<particle_emitter_u>(unit_system_t::find_unit("cross.waterfall"));
    ASSERT_NE(spray, nullptr);
    EXPECT_STREQ(spray->m_hookup.c_str(), "particle.cross.waterfall");
    EXPECT_TRUE(spray->m_autostart && spray->m_loop);
    EXPECT_GT(spray->m_init_time, 0.0f);
    ASSERT_NE(spray->get_particle_set(), nullptr);
    EXPECT_TRUE(spray->get_particle_set()->get_generator(0)->get_model()->is_loaded());
}

// Round 1 sends its first buck along "trails0.trail9" as soon as the intro is over
// (tests/game/round/round1_schedule.golden): the trail begins in the view of valley's
// first start and soon crosses the hunter's line of sight within a clear shot.
TEST_F(map_objects_content, round_ones_first_buck_crosses_the_valleys_first_view_soon_and_in_the_clear) {
    ASSERT_TRUE(load_map_units("valley"));
    const start_point_u *start = unit_cast<start_point_u>(unit_system_t::find_unit("PlayerStart.startPoint0"));
    const trail_u *trail = unit_cast<trail_u>(unit_system_t::find_unit("trails0.trail9"));
    ASSERT_TRUE(start && trail);
    const vec3_t eye = start->get_placement().position;
    const vec3_t facing = start->get_placement().rotation.get_cartes();
    auto angle_of = [&](const vec3_t &p) {
        const vec3_t d = p - eye;
        return std::acos((d.x * facing.x + d.z * facing.z) / std::hypot(d.x, d.z)) * DEGREES;
    };
    const vec3_t first = trail->get_position(0);
    EXPECT_LE(flat_distance(first, eye), 90.0f) << "the buck comes out in range";
    EXPECT_LE(angle_of(first), start->get_view_limit()) << "and where the hunter can turn to";

    // Where the trail crosses the line the hunter looks along, and how far the buck
    // walked to get there.
    const std::vector<vec3_t> points = samples(*trail, 0.5f);
    size_t crossing = 0;
    while (crossing < points.size() && angle_of(points[crossing]) > 1.0f) ++crossing;
    ASSERT_LT(crossing, points.size()) << "the trail crosses the line of sight";
    const vec3_t at = points[crossing];
    EXPECT_LE(float(crossing) * 0.5f, 30.0f) << "within 20 s of a buck's walk";
    EXPECT_GE(flat_distance(at, eye), 50.0f);
    EXPECT_LE(flat_distance(at, eye), 80.0f);
    // Nothing stands near the line of the shot (bodies and plants alike).
    for (const body_inst_u *b : all<body_inst_u>()) {
        const vec3_t thing = b->get_placement().position;
        const float along = std::clamp(((thing.x - eye.x) * (at.x - eye.x) + (thing.z - eye.z) * (at.z - eye.z)) /
                                           (flat_distance(at, eye) * flat_distance(at, eye)),
                                       0.0f, 1.0f);
        const vec3_t nearest = eye + (at - eye) * along;
        EXPECT_GT(flat_distance(thing, nearest), 3.0f) << "something at " << thing.x << " " << thing.z;
    }
}

TEST_F(map_objects_content, the_valleys_first_start_is_on_the_flat_centre) {
    ASSERT_TRUE(load_map_units("valley"));
    const start_point_u *start = unit_cast<start_point_u>(unit_system_t::find_unit("PlayerStart.startPoint0"));
    ASSERT_NE(start, nullptr);
    const vec3_t eye = start->get_placement().position;
    EXPECT_LT(std::hypot(eye.x, eye.z), 10.0f);
    EXPECT_NEAR(eye.y, 1.5f, 0.01f);
}

}  // namespace
}  // namespace quarn::test
